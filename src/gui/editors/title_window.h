// frmTitle, the project's title block, and frmCalender, the date picker that fills its date.
#pragma once

#include <QTime>
#include <QWidget>

#include "app/document_object.h"

class QCalendarWidget;
class QLineEdit;

namespace varlen::gui {

// "Good Morning" strictly between midnight and noon, "Good Afternoon" to three, "Good Evening" to
// 23:59:59; nothing at exactly those times.
[[nodiscard]] QString Greeting(const QTime& time);

class CalendarWindow;

class TitleWindow final : public QWidget {
    Q_OBJECT
public:
    TitleWindow(DocumentObject& document, QWidget* parent = nullptr);
    void ShowGreeting();
    // The calendar's Done and Cancel come back here.
    void DatePicked(const QString& date);
    void DatePickerClosed();

signals:
    void datePickerWanted();

protected:
    void showEvent(QShowEvent* event) override; // brings itself up to date as it is shown
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadFromDocument();

    DocumentObject& m_document;
    QLineEdit* m_project;
    QLineEdit* m_title;
    QLineEdit* m_designer;
    QLineEdit* m_date;
    QLineEdit* m_drawingNo;
    bool m_loading = false;
};

class CalendarWindow final : public QWidget {
    Q_OBJECT
public:
    explicit CalendarWindow(QWidget* parent = nullptr);
    // Each opening selects today, never the date already in the title block.
    void Prepare();

signals:
    void picked(const QString& date);
    void closed();

private:
    QCalendarWidget* m_calendar;
};

} // namespace varlen::gui
