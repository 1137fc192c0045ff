// The bar across the top of a results or design window while the tables have changed since the last
// analysis: the numbers below are greyed, so nobody takes them for the truss on screen.
#pragma once

#include <QLabel>

namespace varlen::gui {

class DocumentObject;

class StaleBar final : public QLabel {
    Q_OBJECT
public:
    // `numbers` is greyed while the bar shows.
    StaleBar(DocumentObject& document, QWidget* numbers, QWidget* parent);

private:
    void Follow();

    DocumentObject& m_document;
    QWidget* m_numbers;
};

} // namespace varlen::gui
