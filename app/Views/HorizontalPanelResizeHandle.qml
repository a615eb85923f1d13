import QtQuick
import QtQuick.Controls.Basic
import Holdra

// A thin strip on one side edge of the panel; dragging it resizes the panel,
// which stays centred, so both edges move.
Item {
    id: handle

    required property NotchController controller
    // "leading" or "trailing"
    property string edge: "leading"
    property bool hovering: tracker.containsMouse
    readonly property bool dragging: tracker.dragging

    width: PanelStyle.handleWidth

    function screenX(mouse) {
        return tracker.mapToGlobal(mouse.x, mouse.y).x
    }
    function endDrag() {
        if (!tracker.dragging)
            return
        tracker.dragging = false
        if (handle.controller.geometry.isResizing)
            handle.controller.geometry.endResize()
    }
    // The controller clamps the step to the display and stores the result.
    function adjust(step) {
        handle.controller.geometry.step(step)
    }

    Accessible.role: Accessible.Slider
    Accessible.name: edge === "leading" ? "从左边缘调整面板宽度" : "从右边缘调整面板宽度"
    Accessible.description: PanelTexts.widthInPoints(controller.geometry.width)
    Accessible.onIncreaseAction: adjust(PanelStyle.handleStep)
    Accessible.onDecreaseAction: adjust(-PanelStyle.handleStep)

    ToolTip.visible: tracker.containsMouse && !tracker.dragging
    ToolTip.text: "拖动调整面板宽度"
    ToolTip.delay: 600

    Rectangle {
        anchors.centerIn: parent
        width: PanelStyle.handleIndicatorWidth
        height: PanelStyle.handleIndicatorHeight
        radius: width / 2
        color: handle.hovering ? PanelStyle.withOpacity(PanelStyle.primary, PanelStyle.handleIndicatorOpacity)
                               : "transparent"
    }

    MouseArea {
        id: tracker
        objectName: "resizeTracker"
        property bool dragging: false
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.SizeHorCursor
        preventStealing: true
        onPressed: mouse => {
            dragging = true
            handle.controller.geometry.beginResize(handle.edge === "leading" ? PanelGeometry.Leading
                                                                         : PanelGeometry.Trailing,
                                               handle.screenX(mouse))
        }
        onPositionChanged: mouse => {
            if (dragging)
                handle.controller.geometry.updateResize(handle.screenX(mouse))
        }
        onReleased: handle.endDrag()
        onCanceled: handle.endDrag()
    }

    // A panel closed in mid-drag still stores its width.
    Component.onDestruction: endDrag()
}
