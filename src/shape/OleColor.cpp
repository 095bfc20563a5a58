#include "shape/OleColor.h"

#include <array>
#include <optional>
#include <utility>

namespace Shape {
namespace {

using Role = std::pair<QPalette::ColorGroup, QPalette::ColorRole>;

// The classic system colour indices, each to the palette colour that plays
// its part in a Qt style.
constexpr std::array<std::optional<Role>, 31> kSystemColourRoles{{
    Role{QPalette::Active, QPalette::Button},            // 0 scroll bar
    Role{QPalette::Active, QPalette::Dark},              // 1 desktop
    Role{QPalette::Active, QPalette::Highlight},         // 2 active caption
    Role{QPalette::Inactive, QPalette::Highlight},       // 3 inactive caption
    Role{QPalette::Active, QPalette::Window},            // 4 menu
    Role{QPalette::Active, QPalette::Base},              // 5 window
    Role{QPalette::Active, QPalette::Shadow},            // 6 window frame
    Role{QPalette::Active, QPalette::WindowText},        // 7 menu text
    Role{QPalette::Active, QPalette::Text},              // 8 window text
    Role{QPalette::Active, QPalette::HighlightedText},   // 9 caption text
    Role{QPalette::Active, QPalette::Window},            // 10 active border
    Role{QPalette::Inactive, QPalette::Window},          // 11 inactive border
    Role{QPalette::Active, QPalette::Mid},               // 12 application workspace
    Role{QPalette::Active, QPalette::Highlight},         // 13 selection
    Role{QPalette::Active, QPalette::HighlightedText},   // 14 selected text
    Role{QPalette::Active, QPalette::Button},            // 15 button face
    Role{QPalette::Active, QPalette::Dark},              // 16 button shadow
    Role{QPalette::Disabled, QPalette::Text},            // 17 grey text
    Role{QPalette::Active, QPalette::ButtonText},        // 18 button text
    Role{QPalette::Inactive, QPalette::HighlightedText}, // 19 inactive caption text
    Role{QPalette::Active, QPalette::Light},             // 20 button highlight
    Role{QPalette::Active, QPalette::Shadow},            // 21 3-D dark shadow
    Role{QPalette::Active, QPalette::Midlight},          // 22 3-D light
    Role{QPalette::Active, QPalette::ToolTipText},       // 23 tooltip text
    Role{QPalette::Active, QPalette::ToolTipBase},       // 24 tooltip background
    std::nullopt,                                        // 25 has no part in a Qt style
    Role{QPalette::Active, QPalette::Link},              // 26 hot-tracked item
    Role{QPalette::Active, QPalette::Highlight},         // 27 active caption gradient
    Role{QPalette::Inactive, QPalette::Highlight},       // 28 inactive caption gradient
    Role{QPalette::Active, QPalette::Highlight},         // 29 highlighted menu item
    Role{QPalette::Active, QPalette::Window},            // 30 menu bar
}};

std::optional<Role> systemColourRole(quint32 index)
{
    return index < kSystemColourRoles.size() ? kSystemColourRoles[index] : std::nullopt;
}

} // namespace

QRgb resolveOleColor(quint32 oleColor, const QPalette& palette)
{
    if ((oleColor & 0x80000000u) == 0) {
        // 0x00BBGGRR: red in the low byte.
        return qRgb(int(oleColor & 0xFF), int((oleColor >> 8) & 0xFF),
                    int((oleColor >> 16) & 0xFF));
    }
    const auto role = systemColourRole(oleColor & 0xFF);
    if (!role)
        return qRgb(0, 0, 0);
    return palette.color(role->first, role->second).rgb();
}

} // namespace Shape
