#include "RtfKeywords.h"

#include <string_view>
#include <unordered_map>

namespace Rtf::detail {

namespace {

using Map = std::unordered_map<std::string_view, Kw>;

const Map& keywords()
{
    static const Map map = [] {
        Map m = {
            {"rtf", Kw::Rtf}, {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
            {"ansicpg", Kw::Ansicpg}, {"deff", Kw::Deff}, {"uc", Kw::Uc}, {"u", Kw::U},
            {"fonttbl", Kw::Fonttbl}, {"colortbl", Kw::Colortbl}, {"pict", Kw::Pict},
            {"field", Kw::Field}, {"fldinst", Kw::Fldinst}, {"fldrslt", Kw::Fldrslt}, {"shp", Kw::Shp},
            {"shpinst", Kw::Shpinst}, {"shptxt", Kw::Shptxt}, {"shprslt", Kw::Shprslt}, {"sp", Kw::Sp},
            {"sn", Kw::Sn}, {"sv", Kw::Sv}, {"shppict", Kw::Shppict}, {"object", Kw::Object},
            {"result", Kw::Result}, {"listtext", Kw::Listtext}, {"pntext", Kw::Pntext}, {"upr", Kw::Upr},
            {"ud", Kw::Ud},
            {"f", Kw::F}, {"fnil", Kw::Fnil}, {"froman", Kw::Froman}, {"fswiss", Kw::Fswiss},
            {"fmodern", Kw::Fmodern}, {"fscript", Kw::Fscript}, {"fdecor", Kw::Fdecor}, {"ftech", Kw::Ftech},
            {"fbidi", Kw::Fnil}, {"fcharset", Kw::Fcharset}, {"cpg", Kw::Cpg},
            {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
            {"plain", Kw::Plain}, {"b", Kw::B}, {"i", Kw::I}, {"ul", Kw::Ul}, {"ulnone", Kw::Ulnone},
            {"uld", Kw::Uld}, {"ulthd", Kw::Uld}, {"uldash", Kw::Uldash}, {"ulthdash", Kw::Uldash},
            {"ulldash", Kw::Uldash}, {"ulthldash", Kw::Uldash}, {"uldashd", Kw::Uldashd},
            {"ulthdashd", Kw::Uldashd}, {"uldashdd", Kw::Uldashdd}, {"ulthdashdd", Kw::Uldashdd},
            {"ulwave", Kw::Ulwave}, {"ulhwave", Kw::Ulwave}, {"ululdbwave", Kw::Ulwave},
            {"uldb", Kw::Ul}, {"ulth", Kw::Ul}, {"ulw", Kw::Ul},
            {"strike", Kw::Strike}, {"striked", Kw::Strike}, {"fs", Kw::Fs}, {"cf", Kw::Cf}, {"cb", Kw::Cb},
            {"highlight", Kw::Highlight}, {"chcbpat", Kw::Chcbpat}, {"super", Kw::Super}, {"sub", Kw::Sub},
            {"nosupersub", Kw::Nosupersub}, {"up", Kw::Up}, {"dn", Kw::Dn}, {"caps", Kw::Caps},
            {"scaps", Kw::Scaps}, {"v", Kw::V},
            {"pard", Kw::Pard}, {"ql", Kw::Ql}, {"qc", Kw::Qc}, {"qr", Kw::Qr}, {"qj", Kw::Qj},
            {"qd", Kw::Qj}, {"li", Kw::Li}, {"lin", Kw::Li}, {"ri", Kw::Ri}, {"rin", Kw::Ri},
            {"fi", Kw::Fi}, {"sb", Kw::Sb}, {"sa", Kw::Sa}, {"sl", Kw::Sl}, {"slmult", Kw::Slmult},
            {"pagebb", Kw::Pagebb}, {"tx", Kw::Tx}, {"tqr", Kw::Tqr}, {"tqc", Kw::Tqc},
            {"tqdec", Kw::Tqdec}, {"intbl", Kw::Intbl}, {"itap", Kw::Itap},
            {"outlinelevel", Kw::Outlinelevel},
            {"par", Kw::Par}, {"line", Kw::Line}, {"tab", Kw::Tab}, {"page", Kw::Page},
            {"sect", Kw::Sect}, {"sectd", Kw::Sectd}, {"sbknone", Kw::Sbknone}, {"sbkcol", Kw::Sbknone},
            {"sbkpage", Kw::Sbkpage}, {"sbkodd", Kw::Sbkpage}, {"sbkeven", Kw::Sbkpage},
            {"cell", Kw::Cell}, {"row", Kw::Row}, {"nestcell", Kw::Nestcell}, {"nestrow", Kw::Nestrow},
            {"emdash", Kw::Emdash}, {"endash", Kw::Endash}, {"bullet", Kw::Bullet},
            {"lquote", Kw::Lquote}, {"rquote", Kw::Rquote}, {"ldblquote", Kw::Ldblquote},
            {"rdblquote", Kw::Rdblquote}, {"emspace", Kw::Emspace}, {"enspace", Kw::Enspace},
            {"qmspace", Kw::Qmspace}, {"zwj", Kw::Zwj}, {"zwnj", Kw::Zwnj}, {"ltrmark", Kw::Ltrmark},
            {"rtlmark", Kw::Rtlmark},
            {"trowd", Kw::Trowd}, {"cellx", Kw::Cellx}, {"clmgf", Kw::Clmgf}, {"clmrg", Kw::Clmrg},
            {"clvmgf", Kw::Clvmgf}, {"clvmrg", Kw::Clvmrg}, {"clcbpat", Kw::Clcbpat},
            {"clbrdrt", Kw::Clbrdr}, {"clbrdrb", Kw::Clbrdr}, {"clbrdrl", Kw::Clbrdr},
            {"clbrdrr", Kw::Clbrdr}, {"brdrnone", Kw::Brdrnone}, {"brdrnil", Kw::Brdrnone},
            {"trgaph", Kw::Trgaph}, {"trleft", Kw::Trleft}, {"trql", Kw::Trql}, {"trqc", Kw::Trqc},
            {"trqr", Kw::Trqr}, {"trhdr", Kw::Trhdr},
            {"pngblip", Kw::Pngblip}, {"jpegblip", Kw::Jpegblip}, {"dibitmap", Kw::Dibitmap},
            {"emfblip", Kw::OtherPicture}, {"wmetafile", Kw::OtherPicture},
            {"wbitmap", Kw::OtherPicture}, {"macpict", Kw::OtherPicture},
            {"pmmetafile", Kw::OtherPicture},
            {"picw", Kw::Picw}, {"pich", Kw::Pich}, {"picwgoal", Kw::Picwgoal}, {"pichgoal", Kw::Pichgoal},
            {"picscalex", Kw::Picscalex}, {"picscaley", Kw::Picscaley},
        };
        // Destinations that hold no text of the document body: tables of
        // styles, lists and revisions, document information, headers and
        // footers, notes, fallbacks for old readers.
        for (std::string_view d : {"stylesheet", "info", "header", "headerl", "headerr", "headerf",
                                   "footer", "footerl", "footerr", "footerf", "footnote", "annotation",
                                   "xe", "tc", "txe", "rxe", "pn", "pntxta", "pntxtb", "template",
                                   "filetbl", "revtbl", "rsidtbl", "listtable", "listoverridetable",
                                   "nonshppict", "nonesttables", "objdata", "objclass", "objname",
                                   "pgdsctbl", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc",
                                   "aftncn", "private", "bkmkstart", "bkmkend", "atnid",
                                   "atnauthor", "atrfstart", "atrfend", "do", "docvar", "background",
                                   "shpgrp", "generator", "userprops", "xmlnstbl", "themedata",
                                   "colorschememapping", "datastore", "latentstyles", "pgptbl",
                                   "listpicture", "fchars", "lchars", "mmathPr", "blipuid", "picprop",
                                   "falt", "panose", "fname", "comment", "title", "subject", "author",
                                   "operator", "keywords", "doccomm", "company", "category", "manager",
                                   "hlinkbase", "creatim", "revtim", "printim", "buptim", "fldtype",
                                   "ftnalt", "nesttableprops", "pnseclvl", "protusertbl"})
            m.emplace(d, Kw::SkipDest);
        return m;
    }();
    return map;
}

} // namespace

Kw keyword(QByteArrayView name)
{
    const Map& m = keywords();
    const auto it = m.find(std::string_view(name.data(), static_cast<size_t>(name.size())));
    return it == m.end() ? Kw::Unknown : it->second;
}

bool breaksText(Kw kw)
{
    switch (kw) {
    case Kw::U:
    case Kw::Fonttbl: case Kw::Colortbl: case Kw::Pict: case Kw::Field: case Kw::Fldinst:
    case Kw::Fldrslt: case Kw::Shp: case Kw::Shpinst: case Kw::Shptxt: case Kw::Shprslt: case Kw::Sp:
    case Kw::Sn: case Kw::Sv: case Kw::Shppict: case Kw::Object: case Kw::Result: case Kw::Listtext:
    case Kw::Pntext: case Kw::SkipDest:
    case Kw::Par: case Kw::Line: case Kw::Tab: case Kw::Page: case Kw::Sect: case Kw::Cell:
    case Kw::Row: case Kw::Nestcell: case Kw::Nestrow: case Kw::Emdash: case Kw::Endash:
    case Kw::Bullet: case Kw::Lquote: case Kw::Rquote: case Kw::Ldblquote: case Kw::Rdblquote:
    case Kw::Emspace: case Kw::Enspace: case Kw::Qmspace: case Kw::Zwj: case Kw::Zwnj:
        return true;
    default:
        return false;
    }
}

} // namespace Rtf::detail
