// frmThumbnail, "Wireframe Model": the truss drawn to scale as the tables stand, following every edit,
// with zoom (menu, dragged rectangle, Ctrl+wheel), scroll bars, printing and saving; after an analysis
// whose results still match the tables, the deflected shape and the axial forces too.
#pragma once

#include <QWidget>

#include "drawing/scene.h"
#include "drawing/viewport.h"

class QAction;
class QActionGroup;
class QMenuBar;
class QScrollBar;

namespace varlen::gui {

class DocumentObject;
class UserDialogs;

class WireframeWindow final : public QWidget {
    Q_OBJECT
public:
    WireframeWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent = nullptr);

    // The view logic and what is drawn, for tests and for the batch pictures.
    [[nodiscard]] const drawing::Viewport& Viewport() const { return m_viewport; }
    [[nodiscard]] const drawing::Scene& Scene();
    // The view the menu has chosen; the scene falls back to the model while there are no current results.
    void ChooseView(drawing::View view);

    // Paints the whole picture as the window shows it onto `painter`'s device.
    void DrawWireframe(QPainter& painter, const QRectF& target, bool onPaper);

public slots:
    void ShowFullScale();
    void ZoomBy(double factor);
    void CancelZoom();
    void PrintPicture();
    void SavePictureAs();

signals:
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenus(QMenuBar* bar);
    // The tables, the results or the mark changed: the scene is built again when next painted.
    void Invalidate();
    void Rebuild();
    void ApplyView();
    [[nodiscard]] QRectF PictureRect() const;
    void HScrollView(int value);
    void VScrollView(int value);

    DocumentObject& m_document;
    UserDialogs& m_dialogs;
    QWidget* m_picture = nullptr; // picViewport
    QScrollBar* m_hBar = nullptr;
    QScrollBar* m_vBar = nullptr;
    QAction* m_deflected = nullptr;
    QAction* m_forces = nullptr;
    QAction* m_envelope = nullptr;
    bool m_showEnvelope = false; // the forces view draws the envelope
    QAction* m_model = nullptr;
    drawing::Viewport m_viewport;
    drawing::Scene m_scene;
    drawing::View m_chosen = drawing::View::Model;
    bool m_dirty = true;
    bool m_updating = false;
    bool m_stale = false; // as the document was when the picture was last invalidated
};

} // namespace varlen::gui
