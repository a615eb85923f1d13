pragma Singleton
import QtQuick

// Every measure, font and colour of the open panel, in device-independent pixels.
QtObject {
    id: style

    // The desktop's colour scheme as far as Qt reports it: a dark window colour
    // in the system palette means a dark desktop.
    readonly property SystemPalette systemPalette: SystemPalette { colorGroup: SystemPalette.Active }
    readonly property bool dark: systemPalette.window.hslLightness < 0.5

    // The one "material": a translucent fill where the platform would blur.
    // Without a compositor the window is opaque and the fill shows solid.
    readonly property color material: dark ? Qt.rgba(0.11, 0.11, 0.12, 0.92) : Qt.rgba(0.96, 0.96, 0.97, 0.94)
    // Sheets over the list (note editor, clear-all confirmation) are opaque, so
    // that nothing of the rows shows through their text.
    readonly property color sheet: dark ? "#1c1c1e" : "#f5f5f7"
    readonly property color thinMaterial: dark ? Qt.rgba(0.2, 0.2, 0.21, 0.9) : Qt.rgba(1, 1, 1, 0.9)

    readonly property color primary: dark ? "#ffffff" : "#1d1d1f"
    readonly property color secondary: Qt.rgba(primary.r, primary.g, primary.b, 0.55)
    readonly property color tertiary: Qt.rgba(primary.r, primary.g, primary.b, 0.28)
    readonly property color accent: dark ? "#0a84ff" : "#007aff"
    readonly property color red: dark ? "#ff453a" : "#ff3b30"
    readonly property color green: dark ? "#30d158" : "#34c759"
    function withOpacity(c, opacity) { return Qt.rgba(c.r, c.g, c.b, opacity) }

    // Fonts: the CJK face renders every text of the panel.
    readonly property string fontFamily: "Noto Sans CJK SC"
    readonly property string monospaceFamily: "Noto Sans Mono CJK SC"
    readonly property real headlineSize: 13
    readonly property int headlineWeight: Font.DemiBold
    readonly property real bodySize: 13
    readonly property real captionSize: 10
    readonly property real caption2Size: 10

    // Panel
    readonly property real panelCornerRadius: 24
    readonly property real dividerOpacity: 0.3
    readonly property real dropOutlineWidth: 2
    readonly property real outlineWidth: 1
    readonly property real outlineOpacity: 0.08

    // Header
    readonly property real headerSpacing: 10
    readonly property real headerHorizontalPadding: 14
    readonly property real headerVerticalPadding: 10
    readonly property real headerButtonSpacing: 4
    readonly property real headerIconSize: 14
    readonly property real microphoneIconSize: 12

    // Lists
    readonly property real listSpacing: 6
    readonly property real listPadding: 10
    readonly property int scrollDuration: 200

    // Footer
    readonly property real footerSpacing: 12
    readonly property real footerHorizontalPadding: 14
    readonly property real footerVerticalPadding: 8
    readonly property real footerIconSize: 11

    // Empty states
    readonly property real emptySpacing: 8
    readonly property real emptyPadding: 24
    readonly property real emptyIconSize: 30

    // Toast
    readonly property real toastSpacing: 6
    readonly property real toastHorizontalPadding: 12
    readonly property real toastVerticalPadding: 6
    readonly property real toastBottomPadding: 42
    readonly property real toastIconSize: 12
    readonly property real toastOutlineOpacity: 0.1
    readonly property real toastShadowOpacity: 0.33
    readonly property real toastShadowRadius: 4
    readonly property real toastShadowOffset: 1
    readonly property int toastDuration: 150

    // Rows
    readonly property real rowSpacing: 10
    readonly property real rowHorizontalPadding: 8
    readonly property real rowVerticalPadding: 6
    readonly property real rowCornerRadius: 10
    readonly property real rowTextSpacing: 2
    readonly property real rowMinimumGap: 4
    readonly property real thumbnailSize: 34
    readonly property real thumbnailCornerRadius: 8
    readonly property real thumbnailPlaceholderOpacity: 0.15
    readonly property real thumbnailSymbolSize: 16
    readonly property real thumbnailActionOpacity: 0.58
    readonly property real thumbnailActionIconSize: 14
    readonly property int thumbnailActionDuration: 120
    readonly property int thumbnailMaxPixel: 96
    readonly property real nameSize: 12
    readonly property int nameWeight: Font.Medium
    readonly property real noteSize: 10
    readonly property int noteWeight: Font.Medium
    readonly property real noteOpacity: 0.78
    readonly property real subtitleSize: 10
    readonly property real lockSize: 10
    readonly property real removeIconSize: 14
    readonly property real selectedFillOpacity: 0.25
    readonly property real selectedOutlineOpacity: 0.6
    readonly property real hoverFillOpacity: 0.06
    readonly property real progressSpacing: 6
    readonly property real progressMaxWidth: 96
    readonly property real progressTimeSize: 9
    readonly property real restoreIconSize: 18
    readonly property int doubleClickInterval: 350

    // Note editor
    readonly property real noteEditorWidth: 420
    readonly property real noteEditorHeight: 250
    readonly property real noteEditorSpacing: 14
    readonly property real noteEditorPadding: 20
    readonly property real noteEditorHeadingSpacing: 4
    readonly property real noteEditorFieldPadding: 6
    readonly property real noteEditorCornerRadius: 8
    readonly property real noteEditorFillOpacity: 0.08
    readonly property real noteEditorOutlineOpacity: 0.2

    // Search line
    readonly property real searchVerticalPadding: 6

    // Quick entry
    readonly property real entrySpacing: 8
    readonly property real entryHorizontalPadding: 14
    readonly property real entryVerticalPadding: 10
    readonly property real entryIconSize: 13
    readonly property real entryIconTopPadding: 3
    readonly property real entryFontSize: 14
    readonly property real entryWidthProbeInset: 4
    readonly property int entryMaximumLines: 8

    // Resize handles
    readonly property real handleWidth: 10
    readonly property real handleIndicatorWidth: 2
    readonly property real handleIndicatorHeight: 36
    readonly property real handleIndicatorOpacity: 0.28
    readonly property real handleStep: 32
}
