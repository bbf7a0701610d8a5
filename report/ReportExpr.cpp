#include "ReportExpr.h"

#include "ReportData.h"
#include "ReportError.h"
#include "ReportFormat.h"
#include "UFormatos.h"

#include <QDateTime>

#include <cmath>

namespace qdr {

enum class Op : std::uint8_t {
    Const, Field, Var, Sys, Neg, Not, Add, Sub, Mul, Div, Eq, Ne, Lt, Gt, Le, Ge, And, Or, Call,
};
enum class Func : std::uint8_t { Iif, Trim, Upper, Lower, Copy, Length, FormatFloat, FormatDateTime };

struct ExprNode {
    Op op = Op::Const;
    QVariant value;
    QString name;  // dataset, variable or function
    QString field; // field of a dataset
    const DataSource* source = nullptr;
    int index = -1; // field or variable index once bound
    const ReportData* data = nullptr;
    SystemVariable sys = SystemVariable::Page;
    Func func = Func::Iif;
    std::vector<std::unique_ptr<ExprNode>> kids;
};

namespace {

struct FuncInfo {
    const char* name;
    Func func;
    int minArgs;
    int maxArgs;
};
constexpr FuncInfo kFuncs[] = {
    {"IIF", Func::Iif, 3, 3},           {"TRIM", Func::Trim, 1, 1},
    {"UPPERCASE", Func::Upper, 1, 1},   {"LOWERCASE", Func::Lower, 1, 1},
    {"COPY", Func::Copy, 3, 3},         {"LENGTH", Func::Length, 1, 1},
    {"FORMATFLOAT", Func::FormatFloat, 2, 2}, {"FORMATDATETIME", Func::FormatDateTime, 2, 2},
};

struct SysInfo {
    const char* name;
    SystemVariable var;
};
constexpr SysInfo kSysVars[] = {
    {"PAGE", SystemVariable::Page}, {"PAGES", SystemVariable::Pages}, {"LINE", SystemVariable::Line},
    {"DATE", SystemVariable::Date}, {"TIME", SystemVariable::Time},
};

enum class Tok : std::uint8_t { End, Number, String, Ident, Quoted, Sym };

class Parser {
public:
    explicit Parser(const QString& text) : text_(text) { advance(); }

    std::unique_ptr<ExprNode> parseAll()
    {
        auto node = parseOr();
        if (tok_ != Tok::End)
            fail(QStringLiteral("sobra «%1»").arg(tokText_));
        return node;
    }

private:
    static constexpr int kMaxDepth = 200;

    [[noreturn]] void fail(const QString& why) const
    {
        throw EReportError(QStringLiteral("Expresión no válida «%1»: %2").arg(text_, why));
    }

    void advance()
    {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
        tokText_.clear();
        if (pos_ >= text_.size()) {
            tok_ = Tok::End;
            return;
        }
        const QChar c = text_[pos_];
        if (c.isDigit()) {
            const int start = pos_;
            while (pos_ < text_.size() && (text_[pos_].isDigit() || text_[pos_] == QLatin1Char('.')))
                ++pos_;
            tokText_ = text_.mid(start, pos_ - start);
            tok_ = Tok::Number;
            return;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // 'text' is a string; "NAME" a quoted field name. A doubled quote stands for itself.
            ++pos_;
            QString out;
            for (;;) {
                if (pos_ >= text_.size())
                    fail(QStringLiteral("falta la comilla de cierre"));
                if (text_[pos_] == c) {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == c) {
                        out += c;
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                out += text_[pos_++];
            }
            tokText_ = out;
            tok_ = c == QLatin1Char('\'') ? Tok::String : Tok::Quoted;
            return;
        }
        if (c.isLetter() || c == QLatin1Char('_')) {
            const int start = pos_;
            while (pos_ < text_.size() && (text_[pos_].isLetterOrNumber() || text_[pos_] == QLatin1Char('_')))
                ++pos_;
            tokText_ = text_.mid(start, pos_ - start);
            tok_ = Tok::Ident;
            return;
        }
        static const char* const kTwo[] = {"<>", "<=", ">="};
        for (const char* two : kTwo) {
            if (text_.mid(pos_, 2) == QLatin1String(two)) {
                tokText_ = QLatin1String(two);
                pos_ += 2;
                tok_ = Tok::Sym;
                return;
            }
        }
        if (QStringLiteral("+-*/(),.=<>").contains(c)) {
            tokText_ = c;
            ++pos_;
            tok_ = Tok::Sym;
            return;
        }
        fail(QStringLiteral("carácter inesperado «%1»").arg(c));
    }

    bool isSym(const char* s) const { return tok_ == Tok::Sym && tokText_ == QLatin1String(s); }
    bool isWord(const char* w) const
    {
        return tok_ == Tok::Ident && tokText_.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    void expectSym(const char* s)
    {
        if (!isSym(s))
            fail(QStringLiteral("se esperaba «%1»").arg(QLatin1String(s)));
        advance();
    }

    struct DepthGuard {
        explicit DepthGuard(Parser& p) : parser(p)
        {
            if (++parser.depth_ > kMaxDepth)
                parser.fail(QStringLiteral("demasiado anidada"));
        }
        ~DepthGuard() { --parser.depth_; }
        Parser& parser;
    };

    static std::unique_ptr<ExprNode> binary(Op op, std::unique_ptr<ExprNode> a, std::unique_ptr<ExprNode> b)
    {
        auto n = std::make_unique<ExprNode>();
        n->op = op;
        n->kids.push_back(std::move(a));
        n->kids.push_back(std::move(b));
        return n;
    }

    std::unique_ptr<ExprNode> parseOr()
    {
        DepthGuard guard(*this);
        auto left = parseAnd();
        while (isWord("or")) {
            advance();
            left = binary(Op::Or, std::move(left), parseAnd());
        }
        return left;
    }
    std::unique_ptr<ExprNode> parseAnd()
    {
        auto left = parseNot();
        while (isWord("and")) {
            advance();
            left = binary(Op::And, std::move(left), parseNot());
        }
        return left;
    }
    std::unique_ptr<ExprNode> parseNot()
    {
        DepthGuard guard(*this);
        if (isWord("not")) {
            advance();
            auto n = std::make_unique<ExprNode>();
            n->op = Op::Not;
            n->kids.push_back(parseNot());
            return n;
        }
        return parseCompare();
    }
    std::unique_ptr<ExprNode> parseCompare()
    {
        auto left = parseAdd();
        static const std::pair<const char*, Op> kOps[] = {
            {"=", Op::Eq}, {"<>", Op::Ne}, {"<", Op::Lt}, {">", Op::Gt}, {"<=", Op::Le}, {">=", Op::Ge},
        };
        for (const auto& [sym, op] : kOps) {
            if (isSym(sym)) {
                advance();
                return binary(op, std::move(left), parseAdd());
            }
        }
        return left;
    }
    std::unique_ptr<ExprNode> parseAdd()
    {
        auto left = parseMul();
        while (isSym("+") || isSym("-")) {
            const Op op = isSym("+") ? Op::Add : Op::Sub;
            advance();
            left = binary(op, std::move(left), parseMul());
        }
        return left;
    }
    std::unique_ptr<ExprNode> parseMul()
    {
        auto left = parseUnary();
        while (isSym("*") || isSym("/")) {
            const Op op = isSym("*") ? Op::Mul : Op::Div;
            advance();
            left = binary(op, std::move(left), parseUnary());
        }
        return left;
    }
    std::unique_ptr<ExprNode> parseUnary()
    {
        DepthGuard guard(*this);
        if (isSym("-")) {
            advance();
            auto n = std::make_unique<ExprNode>();
            n->op = Op::Neg;
            n->kids.push_back(parseUnary());
            return n;
        }
        return parsePrimary();
    }
    std::unique_ptr<ExprNode> parsePrimary()
    {
        auto n = std::make_unique<ExprNode>();
        switch (tok_) {
        case Tok::Number: {
            bool ok = false;
            const double d = tokText_.toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("número «%1» mal escrito").arg(tokText_));
            if (!tokText_.contains(QLatin1Char('.')) && std::fabs(d) < 9e15)
                n->value = static_cast<qlonglong>(d);
            else
                n->value = d;
            advance();
            return n;
        }
        case Tok::String:
            n->value = tokText_;
            advance();
            return n;
        case Tok::Quoted:
            fail(QStringLiteral("el campo «%1» no indica su conjunto de datos").arg(tokText_));
        case Tok::Sym:
            if (isSym("(")) {
                advance();
                auto inner = parseOr();
                expectSym(")");
                return inner;
            }
            fail(QStringLiteral("se esperaba un valor y hay «%1»").arg(tokText_));
        case Tok::End:
            fail(QStringLiteral("termina antes de tiempo"));
        case Tok::Ident:
            break;
        }
        const QString ident = tokText_;
        advance();
        if (isSym("(")) {
            advance();
            n->op = Op::Call;
            n->name = ident;
            const FuncInfo* info = nullptr;
            for (const FuncInfo& f : kFuncs)
                if (ident.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
                    info = &f;
            if (!info)
                fail(QStringLiteral("la función «%1» no existe").arg(ident));
            n->func = info->func;
            if (!isSym(")")) {
                n->kids.push_back(parseOr());
                while (isSym(",")) {
                    advance();
                    n->kids.push_back(parseOr());
                }
            }
            expectSym(")");
            const int argc = static_cast<int>(n->kids.size());
            if (argc < info->minArgs || argc > info->maxArgs)
                fail(QStringLiteral("«%1» lleva %2 argumentos").arg(ident).arg(info->minArgs));
            return n;
        }
        if (isSym(".")) {
            advance();
            if (tok_ != Tok::Ident && tok_ != Tok::Quoted)
                fail(QStringLiteral("falta el campo de «%1»").arg(ident));
            n->op = Op::Field;
            n->name = ident;
            n->field = tokText_;
            advance();
            return n;
        }
        for (const SysInfo& s : kSysVars) {
            if (ident.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0) {
                n->op = Op::Sys;
                n->sys = s.var;
                return n;
            }
        }
        n->op = Op::Var;
        n->name = ident;
        return n;
    }

    const QString& text_;
    int pos_ = 0;
    int depth_ = 0;
    Tok tok_ = Tok::End;
    QString tokText_;
};

void bindNode(ExprNode& n, const ReportData& data)
{
    if (n.op == Op::Field) {
        n.source = data.dataSet(n.name);
        if (!n.source)
            throw EReportError(QStringLiteral("no existe el conjunto de datos «%1»").arg(n.name));
        n.index = n.source->fieldIndex(n.field);
        if (n.index < 0)
            throw EReportError(QStringLiteral("el conjunto de datos «%1» no tiene el campo «%2»").arg(n.name, n.field));
    } else if (n.op == Op::Var) {
        n.index = data.variableIndex(n.name);
        if (n.index < 0)
            throw EReportError(QStringLiteral("no existe la variable «%1»").arg(n.name));
        n.data = &data;
    }
    for (auto& k : n.kids)
        bindNode(*k, data);
}

bool anyNode(const ExprNode& n, bool (*pred)(const ExprNode&))
{
    if (pred(n))
        return true;
    for (const auto& k : n.kids)
        if (anyNode(*k, pred))
            return true;
    return false;
}

void collectSources(const ExprNode& n, std::vector<const DataSource*>* out)
{
    if (n.op == Op::Field && n.source && std::find(out->begin(), out->end(), n.source) == out->end())
        out->push_back(n.source);
    for (const auto& k : n.kids)
        collectSources(*k, out);
}

std::unique_ptr<ExprNode> cloneNode(const ExprNode& n)
{
    auto c = std::make_unique<ExprNode>();
    c->op = n.op;
    c->value = n.value;
    c->name = n.name;
    c->field = n.field;
    c->source = n.source;
    c->index = n.index;
    c->data = n.data;
    c->sys = n.sys;
    c->func = n.func;
    for (const auto& k : n.kids)
        c->kids.push_back(cloneNode(*k));
    return c;
}

QString asText(const QVariant& v)
{
    return displayText(v);
}

bool truthy(const QVariant& v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (isNumeric(v))
        return v.toDouble() != 0.0;
    if (v.typeId() == QMetaType::QString)
        return !v.toString().isEmpty();
    return v.isValid() && !v.isNull();
}

bool isInteger(const QVariant& v)
{
    const int t = v.typeId();
    return t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Short || t == QMetaType::Long
        || t == QMetaType::UInt;
}

// -1, 0 or 1; numbers against numbers, dates against dates, text otherwise.
int compareValues(const QVariant& a, const QVariant& b)
{
    bool okA = false;
    bool okB = false;
    if (isNumeric(a) || isNumeric(b)) {
        const double x = toNumber(a, &okA);
        const double y = toNumber(b, &okB);
        if (okA && okB)
            return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (isDateTime(a) && isDateTime(b)) {
        const QDateTime x = a.toDateTime();
        const QDateTime y = b.toDateTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const int c = asText(a).compare(asText(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QVariant arithmetic(Op op, const QVariant& a, const QVariant& b)
{
    if (op == Op::Add && (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString))
        return asText(a) + asText(b);
    if (a.isNull() || b.isNull())
        return {};
    bool okA = false;
    bool okB = false;
    const double x = toNumber(a, &okA);
    const double y = toNumber(b, &okB);
    if (!okA || !okB)
        return {};
    if (isInteger(a) && isInteger(b) && op != Op::Div) {
        const qlonglong i = a.toLongLong();
        const qlonglong j = b.toLongLong();
        qlonglong r = 0;
        const bool overflow = op == Op::Add   ? __builtin_add_overflow(i, j, &r)
                              : op == Op::Sub ? __builtin_sub_overflow(i, j, &r)
                                              : __builtin_mul_overflow(i, j, &r);
        if (!overflow)
            return r;
    }
    switch (op) {
    case Op::Add:
        return x + y;
    case Op::Sub:
        return x - y;
    case Op::Mul:
        return x * y;
    default:
        if (y == 0.0)
            return {};
        return x / y;
    }
}

QVariant evalNode(const ExprNode& n, const EvalContext& ctx)
{
    switch (n.op) {
    case Op::Const:
        return n.value;
    case Op::Field:
        return n.source ? n.source->value(n.index) : QVariant();
    case Op::Var:
        return n.data ? n.data->variable(n.index) : QVariant();
    case Op::Sys:
        return ctx.systemVariable(n.sys);
    case Op::Neg: {
        const QVariant v = evalNode(*n.kids[0], ctx);
        if (isInteger(v) && v.toLongLong() != std::numeric_limits<qlonglong>::min())
            return -v.toLongLong();
        bool ok = false;
        const double d = toNumber(v, &ok);
        return ok ? QVariant(-d) : QVariant();
    }
    case Op::Not:
        return !truthy(evalNode(*n.kids[0], ctx));
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
        return arithmetic(n.op, evalNode(*n.kids[0], ctx), evalNode(*n.kids[1], ctx));
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
        const int c = compareValues(evalNode(*n.kids[0], ctx), evalNode(*n.kids[1], ctx));
        switch (n.op) {
        case Op::Eq:
            return c == 0;
        case Op::Ne:
            return c != 0;
        case Op::Lt:
            return c < 0;
        case Op::Gt:
            return c > 0;
        case Op::Le:
            return c <= 0;
        default:
            return c >= 0;
        }
    }
    case Op::And:
        return truthy(evalNode(*n.kids[0], ctx)) && truthy(evalNode(*n.kids[1], ctx));
    case Op::Or:
        return truthy(evalNode(*n.kids[0], ctx)) || truthy(evalNode(*n.kids[1], ctx));
    case Op::Call:
        break;
    }
    auto arg = [&](int i) { return evalNode(*n.kids[static_cast<std::size_t>(i)], ctx); };
    switch (n.func) {
    case Func::Iif:
        return truthy(arg(0)) ? arg(1) : arg(2);
    case Func::Trim:
        return asText(arg(0)).trimmed();
    case Func::Upper:
        return asText(arg(0)).toUpper();
    case Func::Lower:
        return asText(arg(0)).toLower();
    case Func::Copy: {
        const QString s = asText(arg(0));
        const qlonglong start = std::clamp<qlonglong>(arg(1).toLongLong(), 1, s.size() + 1);
        const qlonglong len = std::clamp<qlonglong>(arg(2).toLongLong(), 0, s.size());
        return s.mid(static_cast<int>(start - 1), static_cast<int>(len));
    }
    case Func::Length:
        return static_cast<qlonglong>(asText(arg(0)).size());
    case Func::FormatFloat: {
        bool ok = false;
        const double d = toNumber(arg(1), &ok);
        return ok ? FormatoNumero(d, asText(arg(0))) : QString();
    }
    case Func::FormatDateTime: {
        const QVariant v = arg(1);
        return isDateTime(v) ? FormatoFechaHora(v.toDateTime(), asText(arg(0))) : QString();
    }
    }
    return {};
}

} // namespace

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(const Expression& other) : root_(other.root_ ? cloneNode(*other.root_) : nullptr) {}
Expression& Expression::operator=(const Expression& other)
{
    if (this != &other)
        root_ = other.root_ ? std::shared_ptr<ExprNode>(cloneNode(*other.root_)) : nullptr;
    return *this;
}

Expression Expression::parse(const QString& text)
{
    Expression e;
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
        const QString inner = t.mid(1, t.size() - 2);
        if (!inner.contains(QLatin1Char('[')) && !inner.contains(QLatin1Char(']')))
            t = inner.trimmed();
    }
    if (t.isEmpty())
        return e;
    Parser parser(t);
    e.root_ = parser.parseAll();
    return e;
}

void Expression::bind(const ReportData& data)
{
    if (root_)
        bindNode(*root_, data);
}

QVariant Expression::evaluate(const EvalContext& ctx) const
{
    return root_ ? evalNode(*root_, ctx) : QVariant();
}

bool Expression::usesPages() const
{
    return root_ && anyNode(*root_, [](const ExprNode& n) { return n.op == Op::Sys && n.sys == SystemVariable::Pages; });
}

std::vector<const DataSource*> Expression::dataSources() const
{
    std::vector<const DataSource*> out;
    if (root_)
        collectSources(*root_, &out);
    return out;
}

TextTemplate TextTemplate::parse(const QString& text)
{
    TextTemplate t;
    QString literal;
    int i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != QLatin1Char('[')) {
            literal += c;
            ++i;
            continue;
        }
        // Find the matching bracket, skipping quoted text and nested brackets.
        int depth = 0;
        QChar quote;
        int j = i;
        for (; j < text.size(); ++j) {
            const QChar d = text[j];
            if (!quote.isNull()) {
                if (d == quote)
                    quote = QChar();
            } else if (d == QLatin1Char('\'') || d == QLatin1Char('"')) {
                quote = d;
            } else if (d == QLatin1Char('[')) {
                ++depth;
            } else if (d == QLatin1Char(']') && --depth == 0) {
                break;
            }
        }
        if (j >= text.size()) {
            literal += text.mid(i);
            break;
        }
        if (!literal.isEmpty())
            t.segments_.push_back({literal, Expression()});
        literal.clear();
        t.segments_.push_back({QString(), Expression::parse(text.mid(i + 1, j - i - 1))});
        i = j + 1;
    }
    if (!literal.isEmpty())
        t.segments_.push_back({literal, Expression()});
    return t;
}

void TextTemplate::bind(const ReportData& data)
{
    for (Segment& s : segments_)
        s.expr.bind(data);
}

QString TextTemplate::evaluate(const EvalContext& ctx, const QString& displayFormat) const
{
    if (segments_.size() == 1 && segments_[0].expr.isEmpty())
        return segments_[0].literal;
    QString out;
    for (const Segment& s : segments_) {
        if (s.expr.isEmpty())
            out += s.literal;
        else
            out += displayText(s.expr.evaluate(ctx), displayFormat);
    }
    return out;
}

bool TextTemplate::usesPages() const
{
    return std::any_of(segments_.begin(), segments_.end(), [](const Segment& s) { return s.expr.usesPages(); });
}

bool TextTemplate::isConstant() const
{
    return std::all_of(segments_.begin(), segments_.end(), [](const Segment& s) { return s.expr.isEmpty(); });
}

std::vector<const DataSource*> TextTemplate::dataSources() const
{
    std::vector<const DataSource*> out;
    for (const Segment& s : segments_)
        for (const DataSource* d : s.expr.dataSources())
            if (std::find(out.begin(), out.end(), d) == out.end())
                out.push_back(d);
    return out;
}

} // namespace qdr
