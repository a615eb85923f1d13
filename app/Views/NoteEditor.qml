import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Holdra

// The sheet in which one item's note is written; it knows nothing of items.
Popup {
    id: editor

    property string itemName
    property string initialNote
    property string note: initialNote

    // Called at most once per showing, with the edited text.
    signal saved(string note)

    function save() {
        const text = editor.note
        editor.close()
        editor.saved(text)
    }

    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    padding: PanelStyle.noteEditorPadding
    // A fixed sheet; only a panel narrower (or shorter) than the sheet squeezes it.
    width: parent && parent.width < PanelStyle.noteEditorWidth ? parent.width - 16 : PanelStyle.noteEditorWidth
    height: parent && parent.height < PanelStyle.noteEditorHeight ? parent.height : PanelStyle.noteEditorHeight
    anchors.centerIn: parent
    onAboutToShow: { note = initialNote; field.text = initialNote }
    // Once shown, so that every key goes to the text and none to the panel below.
    onOpened: field.forceActiveFocus()

    // Typing past the limit has no effect; a long paste is cut at once.
    onNoteChanged: {
        if (PanelTexts.characterCount(note) > PanelTexts.maximumNoteLength)
            note = PanelTexts.leading(note, PanelTexts.maximumNoteLength)
        if (field.text !== note) {
            const cursor = Math.min(field.cursorPosition, note.length)
            field.text = note
            field.cursorPosition = cursor
        }
    }

    background: Rectangle {
        radius: 12
        color: PanelStyle.sheet
        border.width: 1
        border.color: PanelStyle.withOpacity(PanelStyle.primary, 0.12)
    }

    // Content rather than contentItem, which is deferred: the sheet's functions reach the field by its id.
    ColumnLayout {
        anchors.fill: parent
        spacing: PanelStyle.noteEditorSpacing

        ColumnLayout {
            spacing: PanelStyle.noteEditorHeadingSpacing
            Text {
                objectName: "noteEditorTitle"
                text: editor.initialNote.length > 0 ? "编辑备注" : "添加备注"
                color: PanelStyle.primary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.headlineSize
                font.weight: PanelStyle.headlineWeight
            }
            Text {
                Layout.fillWidth: true
                text: editor.itemName
                elide: Text.ElideMiddle
                maximumLineCount: 1
                color: PanelStyle.secondary
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.captionSize
            }
        }

        ScrollView {
            Layout.fillWidth: true
            Layout.fillHeight: true
            background: Rectangle {
                radius: PanelStyle.noteEditorCornerRadius
                color: PanelStyle.withOpacity(PanelStyle.secondary, PanelStyle.noteEditorFillOpacity)
                border.width: 1
                border.color: PanelStyle.withOpacity(PanelStyle.secondary, PanelStyle.noteEditorOutlineOpacity)
            }
            TextArea {
                id: field
                objectName: "noteField"
                focus: true
                padding: PanelStyle.noteEditorFieldPadding
                wrapMode: TextEdit.Wrap
                color: PanelStyle.primary
                selectionColor: PanelStyle.accent
                font.family: PanelStyle.fontFamily
                font.pixelSize: PanelStyle.bodySize
                background: null
                Accessible.name: "备注内容"
                onTextChanged: editor.note = text
                // Return saves; Shift+Return starts a new line.
                Keys.onPressed: event => {
                    if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                            && !(event.modifiers & Qt.ShiftModifier)) {
                        event.accepted = true
                        editor.save()
                    }
                }
            }
        }

        RowLayout {
            Text {
                objectName: "noteCounter"
                text: PanelTexts.noteCounter(editor.note)
                color: PanelStyle.secondary
                font.family: PanelStyle.monospaceFamily
                font.pixelSize: PanelStyle.caption2Size
            }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "noteCancel"
                text: "取消"
                font.family: PanelStyle.fontFamily
                onClicked: editor.close()
            }
            Button {
                objectName: "noteSave"
                text: "保存"
                highlighted: true
                font.family: PanelStyle.fontFamily
                onClicked: editor.save()
            }
        }
    }
}
