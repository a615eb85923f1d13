import QtQuick
import QtQuick.Controls.Basic
import Holdra

// The line at the bottom of the panel: type, press Return, and it is stashed.
// The text lives in the shared draft model, so it outlasts the panel.
Item {
    id: entry
    objectName: "quickEntryField"

    required property NotchController controller
    readonly property DraftModel draftModel: controller.draftModel
    readonly property real lineHeight: draftModel.lineHeight
    readonly property real contentHeight: draftModel.fieldContentHeight
    readonly property bool focused: field.activeFocus
    readonly property bool showsScrollIndicator: contentHeight >= lineHeight * PanelStyle.entryMaximumLines
    readonly property alias field: field

    // Tab: the keyboard goes back to the list.
    signal leaveRequested()

    implicitHeight: contentHeight + 2 * PanelStyle.entryVerticalPadding

    // Focus with the cursor after the text, e.g. after a key typed on the list.
    function takeFocus() {
        field.forceActiveFocus()
        field.cursorPosition = field.length
    }

    onFocusedChanged: draftModel.isTyping = focused
    Component.onDestruction: draftModel.isTyping = false

    Row {
        anchors.fill: parent
        anchors.leftMargin: PanelStyle.entryHorizontalPadding
        anchors.rightMargin: PanelStyle.entryHorizontalPadding
        anchors.topMargin: PanelStyle.entryVerticalPadding
        anchors.bottomMargin: PanelStyle.entryVerticalPadding
        spacing: PanelStyle.entrySpacing

        TintedIcon {
            id: pencil
            y: PanelStyle.entryIconTopPadding
            name: "square.and.pencil"
            color: PanelStyle.secondary
            width: PanelStyle.entryIconSize
            height: PanelStyle.entryIconSize
        }

        ScrollView {
            id: scroller
            objectName: "entryScroller"
            width: parent.width - pencil.width - parent.spacing
                   - (clearButton.visible ? clearButton.width + parent.spacing : 0)
            height: entry.contentHeight
            contentWidth: availableWidth
            ScrollBar.vertical.policy: entry.showsScrollIndicator ? ScrollBar.AsNeeded : ScrollBar.AlwaysOff
            ScrollBar.horizontal.policy: ScrollBar.AlwaysOff

            TextArea {
                id: field
                objectName: "quickEntry"
                width: scroller.availableWidth
                padding: 0
                leftPadding: 0
                rightPadding: 0
                wrapMode: TextEdit.Wrap
                font: entry.draftModel.font
                color: PanelStyle.primary
                selectionColor: PanelStyle.accent
                placeholderText: "快速录入：打字后回车暂存"
                placeholderTextColor: PanelStyle.tertiary
                background: null
                Accessible.name: "快速录入"
                text: entry.draftModel.draft
                onTextChanged: if (entry.draftModel.draft !== text) entry.draftModel.draft = text
                // The width the text wraps in, for the model's measurement.
                onWidthChanged: if (width > 0) entry.draftModel.setFieldAvailableWidth(width - PanelStyle.entryWidthProbeInset)
                Component.onCompleted: if (width > 0) entry.draftModel.setFieldAvailableWidth(width - PanelStyle.entryWidthProbeInset)

                // Return stashes, Shift+Return breaks the line, Escape goes to the
                // panel's rules for the field, Tab back to the list. Every other
                // key is the text's, and never reaches the panel.
                Keys.onPressed: event => {
                    const plain = (event.modifiers & ~Qt.KeypadModifier) === Qt.NoModifier
                    if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter) && plain) {
                        event.accepted = true
                        entry.draftModel.submit()
                    } else if (event.key === Qt.Key_Escape) {
                        event.accepted = entry.controller.handleKey(event.key, event.modifiers, "")
                    } else if (event.key === Qt.Key_Tab || event.key === Qt.Key_Backtab) {
                        event.accepted = true
                        entry.leaveRequested()
                    }
                }
            }
        }

        PlainButton {
            id: clearButton
            objectName: "clearDraftButton"
            y: PanelStyle.entryIconTopPadding
            visible: entry.draftModel.draft.length > 0
            symbol: "xmark.circle.fill"
            symbolColor: PanelStyle.tertiary
            symbolSize: PanelStyle.entryIconSize
            toolTip: "清空输入"
            Accessible.name: "清空输入"
            onClicked: entry.draftModel.draft = ""
        }
    }
}
