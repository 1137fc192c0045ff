#include "app/document_object.h"

namespace varlen::gui {

DocumentObject::DocumentObject(QObject* parent) : QObject(parent) {
    m_document.Subscribe([this](const document::Notice& notice) {
        switch (notice.change) {
        case document::Change::AboutToReplace: emit tablesAboutToBeReplaced(); break;
        case document::Change::AboutToEdit:
            if (notice.changes)
                for (const document::TableChange& c : notice.changes->tables)
                    emit tableAboutToChange(static_cast<int>(c.table), static_cast<int>(c.kind), c.first, c.count);
            break;
        case document::Change::TablesReplaced: emit tablesReplaced(notice.opened); break;
        case document::Change::TableEdited:
            if (notice.changes)
                for (const document::TableChange& c : notice.changes->tables)
                    emit tableChanged(static_cast<int>(c.table), static_cast<int>(c.kind), c.first, c.count);
            emit tableEdited();
            break;
        case document::Change::TitleEdited:
        case document::Change::FlagsChanged: break;
        case document::Change::ResultsChanged: emit resultsChanged(); break;
        }
    });
}

} // namespace varlen::gui
