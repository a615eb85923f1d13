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
    // The panel's first frame makes only the rows it shows; the rows kept
    // ready beyond the edges (Qt's usual 320 pixels) follow after it.
    cacheBuffer: 0
    Connections {
        target: list.Window.window
        enabled: list.cacheBuffer === 0
        function onFrameSwapped() { list.cacheBuffer = 320 }
    }
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar { objectName: "listScrollBar" }

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

    // Whole rows in the visible height, for PageUp and PageDown.
    readonly property int pageRows: Math.max(1, Math.floor(
        height / (PanelStyle.thumbnailSize + 2 * PanelStyle.rowVerticalPadding + spacing)))

    // Keeps a row in view, moving the list as little as possible.
    function showId(itemId) {
        const row = model.indexOfId(itemId)
        if (row >= 0)
            positionViewAtIndex(row, ListView.Contain)
    }

    NumberAnimation {
        id: scroll
        target: list
        property: "contentY"
        duration: PanelStyle.scrollDuration
        easing.type: Easing.InOutQuad
    }
}
