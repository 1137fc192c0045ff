#include "app/document_object.h"

namespace varlen::gui {

DocumentObject::DocumentObject(QObject* parent) : QObject(parent) {
    m_document.Subscribe([this](document::Change change) {
        switch (change) {
        case document::Change::TablesReplaced: emit tablesReplaced(); break;
        case document::Change::TableEdited: emit tableEdited(); break;
        case document::Change::TitleEdited: emit titleEdited(); break;
        case document::Change::FlagsChanged: emit flagsChanged(); break;
        case document::Change::ResultsChanged: emit resultsChanged(); break;
        }
    });
}

} // namespace varlen::gui
