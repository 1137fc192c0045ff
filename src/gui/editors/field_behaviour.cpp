#include "editors/field_behaviour.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QWidget>

namespace varlen::gui {
namespace {

class FieldBehaviour : public QObject {
public:
    FieldBehaviour(QWidget* field, std::optional<editing::KeyFilter> filter) : QObject(field), m_filter(filter) {
        field->setAutoFillBackground(true);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* field = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::FocusIn: Paint(field, kFocusColour); break;
        case QEvent::FocusOut:
            if (qobject_cast<QAbstractButton*>(field)) field->setPalette(QPalette());
            else Paint(field, kLeftColour);
            break;
        case QEvent::KeyPress: {
            if (!m_filter) break;
            const auto* key = static_cast<QKeyEvent*>(event);
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
        default: break;
        }
        return false;
    }

private:
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
}

} // namespace varlen::gui
