#include "app/stale_bar.h"

#include "app/document_object.h"

namespace varlen::gui {

StaleBar::StaleBar(DocumentObject& document, QWidget* numbers, QWidget* parent)
    : QLabel("Results out of date \u2014 press F5 to analyse again", parent), m_document(document),
      m_numbers(numbers) {
    setObjectName("lblStale");
    setStyleSheet("QLabel { background: #fff3b0; color: #5a4500; border: 1px solid #d8c060; padding: 3px; }");
    connect(&m_document, &DocumentObject::flagsChanged, this, &StaleBar::Follow);
    connect(&m_document, &DocumentObject::resultsChanged, this, &StaleBar::Follow);
    Follow();
}

void StaleBar::Follow() {
    const bool stale = m_document.Results() && m_document.Document().Stale();
    setVisible(stale);
    if (m_numbers) m_numbers->setEnabled(!stale);
}

} // namespace varlen::gui
