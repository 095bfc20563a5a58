#include "shape/OleColor.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace Shape {
namespace {

using Role = std::pair<QPalette::ColorGroup, QPalette::ColorRole>;

// The classic system colour indices 0 to 30 (scroll bar, desktop, active caption, inactive
// caption, menu, window, window frame, menu text, window text, caption text, active border,
// inactive border, application workspace, selection, selected text, button face, button shadow,
// grey text, button text, inactive caption text, button highlight, 3-D dark shadow, 3-D light,
// tooltip text, tooltip background, none, hot-tracked item, active caption gradient, inactive
// caption gradient, highlighted menu item, menu bar), each to the palette colour that plays its
// part in a Qt style: the role in the active group, but for the indices listed after in the
// inactive or the disabled one. Kept as a table, several names a line.
// clang-format off
constexpr std::array<QPalette::ColorRole, 31> kSystemColourRoles{
    QPalette::Button, QPalette::Dark, QPalette::Highlight, QPalette::Highlight, QPalette::Window,
    QPalette::Base, QPalette::Shadow, QPalette::WindowText, QPalette::Text,
    QPalette::HighlightedText, QPalette::Window, QPalette::Window, QPalette::Mid,
    QPalette::Highlight, QPalette::HighlightedText, QPalette::Button, QPalette::Dark,
    QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText, QPalette::Light,
    QPalette::Shadow, QPalette::Midlight, QPalette::ToolTipText, QPalette::ToolTipBase,
    QPalette::NoRole, QPalette::Link, QPalette::Highlight, QPalette::Highlight,
    QPalette::Highlight, QPalette::Window};
// clang-format on
constexpr std::array<quint32, 4> kInactiveIndices{3, 11, 19, 28};
constexpr std::array<quint32, 1> kDisabledIndices{17};

std::optional<Role> systemColourRole(quint32 index)
{
    if (index >= kSystemColourRoles.size() || kSystemColourRoles[index] == QPalette::NoRole)
        return std::nullopt;
    const auto in = [index](const auto& list) {
        return std::find(list.begin(), list.end(), index) != list.end();
    };
    const QPalette::ColorGroup group = in(kInactiveIndices)   ? QPalette::Inactive
                                       : in(kDisabledIndices) ? QPalette::Disabled
                                                              : QPalette::Active;
    return Role{group, kSystemColourRoles[index]};
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
