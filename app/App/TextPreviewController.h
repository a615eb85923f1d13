#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QQmlEngine;
class QQuickWindow;

namespace holdra {

class UserDefaults;

// The window that shows a text item in full. Made on first use and kept, so
// its size and place stay between previews; they also survive restarts in
// the user defaults under "HoldraTextPreview".
class TextPreviewController : public QObject
{
    Q_OBJECT

public:
    static constexpr auto geometryKey = "HoldraTextPreview";

    // `defaults` may be null (nothing remembered across runs). The window is
    // made on `engine`; both must outlive the controller.
    TextPreviewController(QQmlEngine &engine, UserDefaults *defaults, QObject *parent = nullptr);
    ~TextPreviewController() override;

    // Titled "文本预览" when `title` is empty.
    void show(const QString &title, const QString &text);

    QQuickWindow *window() const { return m_window.get(); }

private:
    bool makeWindow();
    void saveGeometry() const;

    QQmlEngine &m_engine;
    UserDefaults *m_defaults;
    std::unique_ptr<QQuickWindow> m_window;
};

} // namespace holdra
