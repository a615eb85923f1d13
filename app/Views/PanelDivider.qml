import QtQuick
import Holdra

// A separator line, drawn faint as the panel's dividers are.
Rectangle {
    implicitHeight: 1
    color: PanelStyle.withOpacity(PanelStyle.primary, 0.25)
    opacity: PanelStyle.dividerOpacity
}
