#include "editors/title_window.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/editor_window.h"
#include "editors/field_behaviour.h"

namespace varlen::gui {

QString Greeting(const QTime& time) {
    const QString t = time.toString("HH:mm:ss");
    if (t > "00:00:00" && t < "12:00:00") return "Good Morning";
    if (t > "12:00:00" && t < "15:00:00") return "Good Afternoon";
    if (t > "15:00:00" && t < "23:59:59") return "Good Evening";
    return {};
}

TitleWindow::TitleWindow(DocumentObject& document, QWidget* parent) : QWidget(parent), m_document(document) {
    setObjectName("frmTitle");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const QFont labelFont("Times New Roman", 11);
    auto field = [&](const char* name, const char* labelName, const char* label, bool colours) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        auto* text = new QLabel(label, this);
        text->setObjectName(labelName);
        text->setFont(labelFont);
        form->addRow(text, edit);
        AttachFieldBehaviour(edit, colours ? std::optional(editing::KeyFilter::Description) : std::nullopt);
        return edit;
    };
    m_project = field("txtProject", "lblProject", "Project", true);
    m_title = field("txtTitle", "lblTitle", "Title", true);
    m_designer = field("txtDesigner", "lblDesigner", "Designer", true);
    m_date = field("txtDate", "lblDate", "Date", false);
    m_drawingNo = field("txtDrawingNo", "lblDrawingNo", "Drawing No", true);
    // The date is never typed: entering its box opens the date picker.
    m_date->setReadOnly(true);
    m_date->installEventFilter(this);
    layout->addLayout(form);
    auto* ok = new QPushButton("&Ok", this);
    ok->setObjectName("cmdHideTitle");
    layout->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->hide();
        else
            hide();
    });

    auto bind = [this](QLineEdit* edit, std::string project::TitleBlock::*member,
                       document::TitleField field) {
        connect(edit, &QLineEdit::textChanged, this, [this, member, field](const QString& text) {
            if (m_loading) return;
            const std::string value = text.toStdString();
            if (m_document.Document().Project().title.*member == value) return;
            m_loading = true; // the box already shows the text: the notice that follows need not reload it
            (void)m_document.Apply(document::SetTitleEdit{field, value}, "Change the title block");
            m_loading = false;
        });
    };
    bind(m_project, &project::TitleBlock::project, document::TitleField::Project);
    bind(m_title, &project::TitleBlock::title, document::TitleField::Title);
    bind(m_designer, &project::TitleBlock::designer, document::TitleField::Designer);
    bind(m_date, &project::TitleBlock::date, document::TitleField::Date);
    bind(m_drawingNo, &project::TitleBlock::drawingNo, document::TitleField::DrawingNo);
    connect(&m_document, &DocumentObject::tablesReplaced, this, &TitleWindow::LoadFromDocument);
    connect(&m_document, &DocumentObject::titleEdited, this, [this] {
        if (!m_loading) LoadFromDocument(); // an undo or redo: the boxes show what the document holds
    });
    LoadFromDocument();
    ShowGreeting();
    resize(Twips(6265), Twips(2280) + 60);
}

void TitleWindow::ShowGreeting() {
    setWindowTitle("Title - " + Greeting(QTime::currentTime()));
}

void TitleWindow::LoadFromDocument() {
    const project::TitleBlock& t = m_document.Document().Project().title;
    m_loading = true;
    m_project->setText(QString::fromStdString(t.project));
    m_title->setText(QString::fromStdString(t.title));
    m_designer->setText(QString::fromStdString(t.designer));
    m_date->setText(QString::fromStdString(t.date));
    m_drawingNo->setText(QString::fromStdString(t.drawingNo));
    m_loading = false;
}

bool TitleWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_date && event->type() == QEvent::FocusIn) {
        m_drawingNo->setFocus();
        emit datePickerWanted();
    }
    return QWidget::eventFilter(watched, event);
}

void TitleWindow::DatePicked(const QString& date) {
    m_date->setText(date);
    DatePickerClosed();
}

void TitleWindow::DatePickerClosed() {
    m_drawingNo->setFocus();
}

CalendarWindow::CalendarWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("frmCalender");
    setWindowTitle("Choose Date");
    auto* layout = new QVBoxLayout(this);
    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName("Calender");
    layout->addWidget(m_calendar);
    auto* buttons = new QHBoxLayout;
    auto* done = new QPushButton("&Done", this);
    done->setObjectName("cmdHideCalender");
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("cmdCancel");
    buttons->addWidget(done);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(m_calendar, &QCalendarWidget::clicked, done, [done] { done->setFocus(); });
    connect(done, &QPushButton::clicked, this, [this] {
        emit picked(QLocale::system().toString(m_calendar->selectedDate(), QLocale::ShortFormat).trimmed());
    });
    connect(cancel, &QPushButton::clicked, this, &CalendarWindow::closed);
}

void CalendarWindow::Prepare() {
    m_calendar->setSelectedDate(QDate::currentDate());
}

void TitleWindow::showEvent(QShowEvent* event) {
    ShowGreeting();
    QWidget::showEvent(event);
}

} // namespace varlen::gui
