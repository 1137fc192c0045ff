// cboResults: which load case or combination the results windows, the summary and the picture show.
// Every window has one and they all follow the one choice the document keeps; with one set of results
// it is hidden.
#pragma once

#include <QComboBox>

#include "app/document_object.h"

namespace varlen::gui {

class ResultsSelector final : public QComboBox {
    Q_OBJECT
public:
    explicit ResultsSelector(DocumentObject& document, QWidget* parent = nullptr);

private:
    void Refresh();

    DocumentObject& m_document;
    bool m_filling = false;
};

} // namespace varlen::gui
