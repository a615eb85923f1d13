#include "App/TextPreviewController.h"
#include "App/WindowPlacement.h"
#include "Panel/ModuleViews.h"

#include "Settings/UserDefaults.h"

#include <QQuickWindow>
#include <QRect>

namespace holdra {

namespace {

QString geometryText(const QRect &rect)
{
    return QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

std::optional<QRect> geometryFrom(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    const QRect rect(values[0], values[1], values[2], values[3]);
    if (rect.width() < 320 || rect.height() < 200)
        return std::nullopt;
    return rect;
}

} // namespace

TextPreviewController::TextPreviewController(QQmlEngine &engine, UserDefaults *defaults, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_defaults(defaults)
{
}

TextPreviewController::~TextPreviewController()
{
    if (m_window)
        saveGeometry();
}

bool TextPreviewController::makeWindow()
{
    m_window = ModuleViews::make<QQuickWindow>(m_engine, QStringLiteral("TextPreviewWindow"));
    if (!m_window)
        return false;
    const std::optional<QString> saved =
        m_defaults ? m_defaults->stringValue(QLatin1String(geometryKey)) : std::nullopt;
    // The saved place may lie on a screen that is gone, or be larger than this one.
    if (const std::optional<QRect> geometry = saved ? geometryFrom(*saved) : std::nullopt)
        m_window->setGeometry(*geometry);
    WindowPlacement::fitOnScreen(m_window.get());
    // Closing only hides the window; remember where it was each time.
    connect(m_window.get(), &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible)
            saveGeometry();
    });
    return true;
}

void TextPreviewController::saveGeometry() const
{
    if (m_defaults)
        m_defaults->setString(QLatin1String(geometryKey), geometryText(m_window->geometry()));
}

void TextPreviewController::show(const QString &title, const QString &text)
{
    if (!m_window && !makeWindow())
        return;
    m_window->setTitle(title.isEmpty() ? QStringLiteral("文本预览") : title);
    m_window->setProperty("text", text);
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

} // namespace holdra
