#pragma once

// The colours of the artwork, as 0xRRGGBB. The editor's own texts (source labels, value boxes, the
// wave lines) are fixed elsewhere; this palette is chosen to carry them: a dark panel, one warm accent.
namespace ArtworkPalette {

inline constexpr unsigned kWindow = 0x15171B;
inline constexpr unsigned kPanel = 0x24272D;
inline constexpr unsigned kPanelEdge = 0x30343B;
inline constexpr unsigned kTitleBand = 0x2E333A;
inline constexpr unsigned kTitle = 0xF2F4F7;
inline constexpr unsigned kLabel = 0xCDD2D9;
inline constexpr unsigned kCaption = 0x9EADBD;
inline constexpr unsigned kAccent = 0xFF8A1F;
inline constexpr unsigned kTrack = 0x3A3F47;
inline constexpr unsigned kScreen = 0x0C1013;
inline constexpr unsigned kLcdText = 0x40FF40;

// Text sizes in points; nothing on the panel is smaller than the label size.
inline constexpr double kLabelSize = 10.0;
inline constexpr double kTitleSize = 11.0;

// Contrast ratio of two colours as accessibility guidelines define it (1 to 21).
double contrast(unsigned a, unsigned b);

} // namespace ArtworkPalette
