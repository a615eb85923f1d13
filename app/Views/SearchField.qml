import QtQuick
import QtQuick.Controls.Basic
import Holdra

// The filter line under the panel's header: the list shows the rows that
// contain what is typed here, as it is typed.
Item {
    id: searchField
    objectName: "searchField"

    required property NotchController controller
    readonly property PanelSearch search: controller.search
    readonly property alias field: field

    // The keyboard goes back to the list; with `selectFirst`, onto its first row.
    signal leaveRequested(bool selectFirst)

    implicitHeight: field.implicitHeight + 2 * PanelStyle.searchVerticalPadding

    function takeFocus() {
        field.forceActiveFocus()
        field.cursorPosition = field.length
    }

    Row {
        anchors.fill: parent
        anchors.leftMargin: PanelStyle.headerHorizontalPadding
        anchors.rightMargin: PanelStyle.headerHorizontalPadding
        anchors.topMargin: PanelStyle.searchVerticalPadding
        anchors.bottomMargin: PanelStyle.searchVerticalPadding
        spacing: PanelStyle.entrySpacing

        TintedIcon {
            id: glass
            anchors.verticalCenter: parent.verticalCenter
            name: "magnifyingglass"
            color: PanelStyle.secondary
            width: PanelStyle.entryIconSize
            height: PanelStyle.entryIconSize
        }

        TextField {
            id: field
            objectName: "searchInput"
            width: parent.width - glass.width - parent.spacing
                   - (clearButton.visible ? clearButton.width + parent.spacing : 0)
            padding: 0
            leftPadding: 0
            rightPadding: 0
            font.family: PanelStyle.fontFamily
            font.pixelSize: PanelStyle.entryFontSize
            color: PanelStyle.primary
            selectionColor: PanelStyle.accent
            placeholderText: "搜索"
            placeholderTextColor: PanelStyle.tertiary
            background: null
            Accessible.name: "搜索"
            text: searchField.search.query
            onTextChanged: if (searchField.search.query !== text) searchField.search.query = text

            // Escape goes to the panel's rules (it clears the search); Down and
            // Return walk into the results; Tab leaves. The rest is the text's.
            Keys.onPressed: event => {
                const plain = (event.modifiers & ~Qt.KeypadModifier) === Qt.NoModifier
                if (event.key === Qt.Key_Escape) {
                    event.accepted = searchField.controller.handleKey(event.key, event.modifiers, "")
                } else if (plain && (event.key === Qt.Key_Down || event.key === Qt.Key_Return
                                     || event.key === Qt.Key_Enter)) {
                    event.accepted = true
                    searchField.leaveRequested(true)
                } else if (event.key === Qt.Key_Tab || event.key === Qt.Key_Backtab) {
                    event.accepted = true
                    searchField.leaveRequested(false)
                }
            }
        }

        PlainButton {
            id: clearButton
            objectName: "clearSearchButton"
            anchors.verticalCenter: parent.verticalCenter
            visible: field.length > 0
            symbol: "xmark.circle.fill"
            symbolColor: PanelStyle.tertiary
            symbolSize: PanelStyle.entryIconSize
            toolTip: "清除搜索"
            Accessible.name: "清除搜索"
            onClicked: field.clear()
        }
    }
}
