#include "app/document_object.h"

namespace varlen::gui {

DocumentObject::DocumentObject(QObject* parent) : QObject(parent) {
    m_document.Subscribe([this](document::Change change) {
        switch (change) {
        case document::Change::TablesReplaced: emit tablesReplaced(); break;
        case document::Change::TableEdited: emit tableEdited(); break;
        case document::Change::TitleEdited: emit titleEdited(); break;
        case document::Change::FlagsChanged: emit flagsChanged(); break;
        case document::Change::ResultsChanged:
            m_withdrawn = false;   // a new analysis or a replaced project: whatever the document holds now
            emit resultsChanged();
            break;
        }
    });
}

void DocumentObject::WithdrawResults() {
    if (m_withdrawn || !m_document.Results()) return;
    m_withdrawn = true;
    emit resultsChanged();
}

} // namespace varlen::gui
