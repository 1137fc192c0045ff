#include "results/results_selector.h"

namespace varlen::gui {

ResultsSelector::ResultsSelector(DocumentObject& document, QWidget* parent)
    : QComboBox(parent), m_document(document) {
    setObjectName("cboResults");
    setToolTip("The load case or combination these results are of");
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling) m_document.ShowResults(index);
    });
    connect(&m_document, &DocumentObject::resultsChanged, this, &ResultsSelector::Refresh);
    Refresh();
}

void ResultsSelector::Refresh() {
    const QStringList choices = m_document.ResultsChoices();
    m_filling = true;
    QStringList current;
    for (int i = 0; i < count(); ++i)
        current << itemText(i);
    if (current != choices) {
        clear();
        addItems(choices);
    }
    setCurrentIndex(choices.isEmpty() ? -1 : m_document.ShownResults());
    m_filling = false;
    setVisible(!choices.isEmpty());
}

} // namespace varlen::gui
