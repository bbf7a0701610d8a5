// Expressions in report texts: fields (frDBDataSet1."NOMBRE" or
// QComunidad.NOMBRE), variables, the system variables Page, Pages, Line, Date
// and Time, numbers, 'strings', + - * /, comparisons, and/or/not and the
// functions IIF, TRIM, UPPERCASE, LOWERCASE, COPY, LENGTH, FORMATFLOAT and
// FORMATDATETIME. A text template is literal text with [expressions] in it.
#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace qdr {

class DataSource;
class ReportData;

enum class SystemVariable : std::uint8_t { Page, Pages, Line, Date, Time };

// The page count is known only after pagination: until then [Pages] gives
// this marker, which the layout engine replaces in the finished document.
inline const QChar kPagesMarker = QChar(0xE000);

class EvalContext {
public:
    virtual ~EvalContext() = default;
    virtual QVariant systemVariable(SystemVariable v) const = 0;
};

struct ExprNode;

class Expression {
public:
    Expression();
    ~Expression();
    Expression(const Expression&);
    Expression& operator=(const Expression&);

    // Throws EReportError on a syntax error. An outer pair of brackets is allowed.
    static Expression parse(const QString& text);
    // Resolves every name against the data; throws EReportError naming the
    // dataset, field or variable that is missing.
    void bind(const ReportData& data);
    QVariant evaluate(const EvalContext& ctx) const;

    bool isEmpty() const { return !root_; }
    bool usesPages() const;
    // The datasets this expression reads, once bound.
    std::vector<const DataSource*> dataSources() const;

private:
    std::shared_ptr<ExprNode> root_;
};

class TextTemplate {
public:
    // "[" opens an expression up to its matching "]"; a "[" with no match is literal.
    static TextTemplate parse(const QString& text);
    void bind(const ReportData& data);
    QString evaluate(const EvalContext& ctx, const QString& displayFormat) const;
    bool usesPages() const;
    bool isConstant() const;
    std::vector<const DataSource*> dataSources() const;

private:
    struct Segment {
        QString literal;
        Expression expr;
    };
    std::vector<Segment> segments_;
};

} // namespace qdr
