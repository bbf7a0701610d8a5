#pragma once
// The RTF control words this component understands. Words not listed are
// formatting the program does not keep (revision ids, languages, ...) and are
// read past.

#include <QByteArrayView>

namespace Rtf::detail {

enum class Kw : unsigned char {
    Unknown,
    // document
    Rtf, Ansi, Mac, Pc, Pca, Ansicpg, Deff, Uc, U,
    // destinations read by the reader
    Fonttbl, Colortbl, Pict, Field, Fldinst, Fldrslt, Shp, Shpinst, Shptxt, Shprslt, Sp, Sn, Sv,
    Shppict, Object, Result, Listtext, Pntext, Upr, Ud,
    // destinations whose content is not part of the text
    SkipDest,
    // fonts and colours
    F, Fnil, Froman, Fswiss, Fmodern, Fscript, Fdecor, Ftech, Fcharset, Cpg, Red, Green, Blue,
    // character formatting
    Plain, B, I, Ul, Ulnone, Uld, Uldash, Uldashd, Uldashdd, Ulwave, Strike, Fs, Cf, Cb, Highlight,
    Chcbpat, Super, Sub, Nosupersub, Up, Dn, Caps, Scaps, V,
    // paragraph formatting
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Sl, Slmult, Pagebb, Tx, Tqr, Tqc, Tqdec, Intbl, Itap,
    Outlinelevel,
    // characters and structure
    Par, Line, Tab, Page, Sect, Sectd, Sbknone, Sbkpage, Cell, Row, Nestcell, Nestrow,
    Emdash, Endash, Bullet, Lquote, Rquote, Ldblquote, Rdblquote, Emspace, Enspace, Qmspace,
    Zwj, Zwnj, Ltrmark, Rtlmark,
    // tables
    Trowd, Cellx, Clmgf, Clmrg, Clvmgf, Clvmrg, Clcbpat, Clbrdr, Brdrnone, Trgaph, Trleft, Trql, Trqc,
    Trqr, Trhdr,
    // pictures
    Pngblip, Jpegblip, Dibitmap, OtherPicture, Picw, Pich, Picwgoal, Pichgoal, Picscalex, Picscaley,
};

Kw keyword(QByteArrayView name);

// Words that carry text or structure (characters, paragraph and cell marks,
// destinations): a merge field split by one of them is not one field.
bool breaksText(Kw kw);

} // namespace Rtf::detail
