#pragma once
// Video timings that the sending card can present in its EDID, and their lookup by
// resolution and refresh rate.
//
// The table holds the CEA-861 video formats the card supports (one row per timing
// variant: the 240p/288p formats come in several line counts, the pixel-repeated
// formats once per transmitted width), then the card's own formats with codes
// 970 ... 999, and ends with the row "Unknown Format Error !!!" (all zero).

#include <QVariantMap>
#include <QtGlobal>

#include <cstddef>

namespace edid
{

struct Timing {
    quint16 HActive, VActive;                    // active pixels and lines
    quint16 HTotal, VTotal;                      // pixels per line, lines per frame
    quint32 PCLK;                                // pixel clock in kHz
    quint16 HFrontPorch, HSyncWidth, HBackPorch; // in pixels
    quint16 VFrontPorch, VSyncWidth, VBackPorch; // in lines
    quint32 FrameRate;                           // in mHz: 59940 is 59.94 Hz
    quint8 ScanMode;                             // 1 progressive
    quint8 VPolarity, HPolarity;                 // 1 positive, 0 negative sync
    // How often each picture sample is sent (1: once).
    quint8 PixRpt;
    // Picture aspect: 1 4:3, 2 16:9, 3 64:27, 5 any other (256:135, custom formats).
    quint8 PicAR;
    const char *name;
    quint16 VIC; // video identification code; 970..999 custom, 0 unknown
};

// Number of rows, the final "Unknown Format Error !!!" row included.
constexpr std::size_t TimingCount = 156;

// Row i of the table (0 <= i < TimingCount).
const Timing &timing(std::size_t i);

// The first row with this active size and frame rate (mHz); nullptr when none
// matches. The final unknown-format row never matches.
const Timing *findTiming(quint16 width, quint16 height, quint32 frameRate);

// The lookup the user interface asks for: params "width", "height" and "refresh"
// (mHz, numbers or numeric text). A match gives {"isExist": true, "hblnk",
// "vblnk", and every timing field under its own name}; a missing or non-numeric
// key, a value out of range or no match gives {"isExist": false}.
QVariantMap selectEdidData(const QVariantMap &params);

} // namespace edid
