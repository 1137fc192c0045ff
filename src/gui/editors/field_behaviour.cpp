#include "editors/field_behaviour.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>
#include <memory>

namespace varlen::gui {
namespace {

class FieldBehaviour : public QObject {
public:
    FieldBehaviour(QWidget* field, std::optional<editing::KeyFilter> filter)
        : QObject(field), m_filter(filter) {
        field->setAutoFillBackground(true);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* field = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::FocusIn:
            Paint(field, kFocusColour);
            break;
        case QEvent::FocusOut:
            if (qobject_cast<QAbstractButton*>(field))
                field->setPalette(QPalette());
            else
                Paint(field, kLeftColour);
            break;
        case QEvent::KeyPress: {
            if (!m_filter) break;
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Paste) && Paste(field, QClipboard::Clipboard)) return true;
            const QString text = key->text();
            // Keys without text (arrows, Tab, Delete) move and edit; only typed characters are filtered.
            if (text.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) break;
            for (QChar c : text) {
                const char32_t code = c == QChar(u'\b') ? editing::kBackspace : c.unicode();
                if (!c.isPrint() && code != editing::kBackspace) continue;
                if (!editing::AcceptsKey(*m_filter, code)) return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            // The middle button pastes the selection where the platform has one.
            if (m_filter && static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
                QGuiApplication::clipboard()->supportsSelection() && Paste(field, QClipboard::Selection))
                return true;
            break;
        case QEvent::ContextMenu: {
            auto* edit = qobject_cast<QLineEdit*>(field);
            if (!m_filter || !edit) break;
            const std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
            for (QAction* action : menu->actions()) {
                if (action->objectName() != "edit-paste") continue;
                action->disconnect();
                connect(action, &QAction::triggered, this,
                        [this, field] { Paste(field, QClipboard::Clipboard); });
            }
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        default:
            break;
        }
        return false;
    }

private:
    // A paste lets through what typing would: a character the filter refuses would be shown in the
    // box yet not survive the project file, so the screen and the file would disagree.
    bool Paste(QWidget* field, QClipboard::Mode mode) const {
        auto* edit = qobject_cast<QLineEdit*>(field);
        if (!edit) return false;
        if (edit->isReadOnly()) return true;
        QString kept;
        for (QChar c : QGuiApplication::clipboard()->text(mode))
            if (c.isPrint() && editing::AcceptsKey(*m_filter, c.unicode())) kept += c;
        if (mode == QClipboard::Selection) edit->deselect();
        edit->insert(kept);
        return true;
    }

    static void Paint(QWidget* field, const QColor& colour) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, colour);
        palette.setColor(QPalette::Button, colour);
        palette.setColor(QPalette::Window, colour);
        field->setPalette(palette);
    }

    std::optional<editing::KeyFilter> m_filter;
};

} // namespace

void AttachFieldBehaviour(QWidget* field, std::optional<editing::KeyFilter> filter) {
    field->installEventFilter(new FieldBehaviour(field, filter));
    // A drop would bring in text no filter has seen.
    if (filter) field->setAcceptDrops(false);
}

} // namespace varlen::gui
