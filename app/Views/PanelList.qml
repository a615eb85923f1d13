import QtQuick
import QtQuick.Controls.Basic
import Holdra

// The scrolling list of rows, padded and spaced as the panel's lists are.
ListView {
    id: list

    spacing: PanelStyle.listSpacing
    topMargin: PanelStyle.listPadding
    bottomMargin: PanelStyle.listPadding
    clip: true
    reuseItems: true
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {}

    // Brings a row's top edge to the top of the visible area, eased over 0.2 s.
    function scrollToId(itemId) {
        const row = model.indexOfId(itemId)
        if (row < 0)
            return
        const from = contentY
        positionViewAtIndex(row, ListView.Beginning)
        const to = contentY
        contentY = from
        scroll.to = to
        scroll.restart()
    }

    NumberAnimation {
        id: scroll
        target: list
        property: "contentY"
        duration: PanelStyle.scrollDuration
        easing.type: Easing.InOutQuad
    }
}
