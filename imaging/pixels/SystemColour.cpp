#include "imaging/pixels/SystemColour.h"

#include <QGuiApplication>
#include <QPalette>

#include "imaging/ErrorSources.h"
#include "platform/RunTimeError.h"

namespace imaging::pixels {

namespace {

struct PaletteEntry {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// The system colours by their index, as the palette's roles come closest.
constexpr int kSystemColourCount = 31;
constexpr PaletteEntry kSystemColours[kSystemColourCount] = {
    {QPalette::Active, QPalette::Button},             // 0 scroll bar
    {QPalette::Active, QPalette::Window},             // 1 desktop
    {QPalette::Active, QPalette::Highlight},          // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},        // 3 inactive caption
    {QPalette::Active, QPalette::Window},             // 4 menu
    {QPalette::Active, QPalette::Base},               // 5 window
    {QPalette::Active, QPalette::Shadow},             // 6 window frame
    {QPalette::Active, QPalette::WindowText},         // 7 menu text
    {QPalette::Active, QPalette::Text},               // 8 window text
    {QPalette::Active, QPalette::HighlightedText},    // 9 caption text
    {QPalette::Active, QPalette::Window},             // 10 active border
    {QPalette::Inactive, QPalette::Window},           // 11 inactive border
    {QPalette::Active, QPalette::Mid},                // 12 application workspace
    {QPalette::Active, QPalette::Highlight},          // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},    // 14 highlighted text
    {QPalette::Active, QPalette::Button},             // 15 button face
    {QPalette::Active, QPalette::Dark},               // 16 button shadow
    {QPalette::Disabled, QPalette::Text},             // 17 grey text
    {QPalette::Active, QPalette::ButtonText},         // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText},  // 19 inactive caption text
    {QPalette::Active, QPalette::Light},              // 20 button highlight
    {QPalette::Active, QPalette::Shadow},             // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight},           // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},        // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},        // 24 tooltip background
    {QPalette::Active, QPalette::Window},             // 25 (unused)
    {QPalette::Active, QPalette::Link},               // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},          // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight},        // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},          // 29 menu highlight
    {QPalette::Active, QPalette::Window},             // 30 menu bar
};

// The desktop's palette when there is a graphical application. Without one
// (a plain core application, or none) the application palette does not
// exist and asking for it would crash, so the colours are those of Qt's own
// light default palette.
QPalette CurrentPalette() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return QGuiApplication::palette();
  QPalette palette(QColor(0xEF, 0xEF, 0xEF), QColor(0xEF, 0xEF, 0xEF));
  for (const auto group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
    palette.setColor(group, QPalette::HighlightedText, Qt::white);
  }
  return palette;
}

}  // namespace

std::uint32_t SystemColour::OleTranslateColor(std::uint32_t aColor) {
  if ((aColor & 0xFF000000u) == 0) return aColor;
  const std::uint32_t index = aColor & 0x00FFFFFFu;
  if ((aColor & 0xFF000000u) != kSystemFlag || index >= kSystemColourCount) {
    throw platform::RunTimeError::standard(platform::kInvalidProcedureCall, kThumbnailSource);
  }
  const PaletteEntry entry = kSystemColours[index];
  const QColor colour = CurrentPalette().color(entry.group, entry.role);
  return std::uint32_t(colour.blue()) << 16 | std::uint32_t(colour.green()) << 8 |
         std::uint32_t(colour.red());
}

}  // namespace imaging::pixels
