#include "shape/OleColor.h"

#include <optional>
#include <utility>

namespace Shape {
namespace {

using Role = std::pair<QPalette::ColorGroup, QPalette::ColorRole>;

// The classic system colour indices, each to the palette colour that plays
// its part in a Qt style.
std::optional<Role> systemColourRole(quint32 index)
{
    constexpr auto A = QPalette::Active;
    constexpr auto I = QPalette::Inactive;
    constexpr auto D = QPalette::Disabled;
    switch (index) {
    case 0: return Role{A, QPalette::Button};                // scroll bar
    case 1: return Role{A, QPalette::Dark};                  // desktop
    case 2: return Role{A, QPalette::Highlight};             // active caption
    case 3: return Role{I, QPalette::Highlight};             // inactive caption
    case 4: return Role{A, QPalette::Window};                // menu
    case 5: return Role{A, QPalette::Base};                  // window
    case 6: return Role{A, QPalette::Shadow};                // window frame
    case 7: return Role{A, QPalette::WindowText};            // menu text
    case 8: return Role{A, QPalette::Text};                  // window text
    case 9: return Role{A, QPalette::HighlightedText};       // caption text
    case 10: return Role{A, QPalette::Window};               // active border
    case 11: return Role{I, QPalette::Window};               // inactive border
    case 12: return Role{A, QPalette::Mid};                  // application workspace
    case 13: return Role{A, QPalette::Highlight};            // selection
    case 14: return Role{A, QPalette::HighlightedText};      // selected text
    case 15: return Role{A, QPalette::Button};               // button face
    case 16: return Role{A, QPalette::Dark};                 // button shadow
    case 17: return Role{D, QPalette::Text};                 // grey text
    case 18: return Role{A, QPalette::ButtonText};           // button text
    case 19: return Role{I, QPalette::HighlightedText};      // inactive caption text
    case 20: return Role{A, QPalette::Light};                // button highlight
    case 21: return Role{A, QPalette::Shadow};               // 3-D dark shadow
    case 22: return Role{A, QPalette::Midlight};             // 3-D light
    case 23: return Role{A, QPalette::ToolTipText};          // tooltip text
    case 24: return Role{A, QPalette::ToolTipBase};          // tooltip background
    case 26: return Role{A, QPalette::Link};                 // hot-tracked item
    case 27: return Role{A, QPalette::Highlight};            // active caption gradient
    case 28: return Role{I, QPalette::Highlight};            // inactive caption gradient
    case 29: return Role{A, QPalette::Highlight};            // highlighted menu item
    case 30: return Role{A, QPalette::Window};               // menu bar
    default: return std::nullopt;
    }
}

}  // namespace

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

}  // namespace Shape
