#include "app/document_object.h"

namespace varlen::gui {

namespace {

// One change the user made, as the edit that takes it back; undoing and redoing swap it for its inverse.
class EditCommand final : public QUndoCommand {
public:
    EditCommand(document::ProjectDocument& document, document::Edit inverse, const QString& text)
        : m_document(document), m_next(std::move(inverse)) {
        setText(text);
    }
    void undo() override { Swap(); }
    // Typing in a title box makes one edit a keystroke: they merge into one step per field.
    int id() const override {
        const auto* title = std::get_if<document::SetTitleEdit>(&m_next);
        return title ? 1 + static_cast<int>(title->field) : -1;
    }
    bool mergeWith(const QUndoCommand* other) override { return other->id() == id(); }
    void redo() override {
        if (m_applied) { // pushed after the edit was made
            m_applied = false;
            return;
        }
        Swap();
    }

private:
    void Swap() {
        document::ApplyOutcome outcome = m_document.Apply(m_next);
        if (outcome.applied) m_next = std::move(outcome.inverse);
    }

    document::ProjectDocument& m_document;
    document::Edit m_next;
    bool m_applied = true;
};

} // namespace

DocumentObject::DocumentObject(QObject* parent) : QObject(parent) {
    connect(&m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) { m_document.SetUnsaved(!clean); });
    m_document.Subscribe([this](const document::Notice& notice) {
        switch (notice.change) {
        case document::Change::AboutToReplace:
            emit tablesAboutToBeReplaced();
            break;
        case document::Change::AboutToEdit:
            if (notice.changes)
                for (const document::TableChange& c : notice.changes->tables)
                    emit tableAboutToChange(static_cast<int>(c.table), static_cast<int>(c.kind), c.first,
                                            c.count, c.loadCase);
            break;
        case document::Change::TablesReplaced:
            if (notice.fresh) m_undo.clear(); // New or Open: there is nothing to go back to
            SetStopMark(std::nullopt);
            m_design = {};
            emit tablesReplaced(notice.opened);
            break;
        case document::Change::TableEdited:
            if (notice.changes)
                for (const document::TableChange& c : notice.changes->tables)
                    emit tableChanged(static_cast<int>(c.table), static_cast<int>(c.kind), c.first, c.count,
                                      c.loadCase);
            SetStopMark(std::nullopt); // the mark was about the truss before this edit
            m_design = {};
            emit tableEdited();
            // A joint inserted or removed moves the joints the other cases' loads name.
            if (notice.changes && notice.changes->loadCases) emit loadCasesEdited(false);
            break;
        case document::Change::TitleEdited:
            emit titleEdited();
            break;
        case document::Change::LoadCasesEdited:
            SetStopMark(std::nullopt);
            m_design = {};
            emit loadCasesEdited(true);
            break;
        case document::Change::FlagsChanged:
            emit flagsChanged();
            break;
        case document::Change::ResultsChanged:
            m_design = {}; // the checks were of the results before
            // The same case or combination stays chosen after a re-analysis, while there is one.
            if (m_shown >= ResultsChoices().size()) m_shown = 0;
            emit resultsChanged();
            break;
        }
    });
}

const analysis::Results* DocumentObject::Results() const {
    const analysis::LoadCaseResults* all = m_document.LoadCases();
    if (!all || m_shown == 0) return m_document.Results();
    const auto index = static_cast<std::size_t>(m_shown);
    if (index < all->cases.size()) return &all->cases[index].results;
    if (index - all->cases.size() < all->combinations.size())
        return &all->combinations[index - all->cases.size()].results;
    return m_document.Results();
}

QStringList DocumentObject::ResultsChoices() const {
    QStringList choices;
    const analysis::LoadCaseResults* all = m_document.LoadCases();
    if (!all) return choices;
    for (std::size_t c = 0; c < all->cases.size(); ++c)
        choices << QString("Case %1: %2").arg(c + 1).arg(QString::fromStdString(all->cases[c].name));
    for (const analysis::NamedResults& combination : all->combinations)
        choices << QString("Combination: %1").arg(QString::fromStdString(combination.name));
    return choices;
}

void DocumentObject::ShowResults(int index) {
    if (index < 0 || index >= ResultsChoices().size() || index == m_shown) return;
    m_shown = index;
    emit shownResultsChanged();
    emit resultsChanged();
}

document::ApplyOutcome DocumentObject::Apply(const document::Edit& edit, const QString& text) {
    document::ApplyOutcome outcome = m_document.Apply(edit);
    if (outcome.applied) Record(outcome.inverse, text);
    return outcome;
}

void DocumentObject::SetStopMark(std::optional<drawing::MechanismMark> mark) {
    const bool changed = mark.has_value() != m_stopMark.has_value() ||
                         (mark && (mark->joint != m_stopMark->joint || mark->axis != m_stopMark->axis));
    m_stopMark = mark;
    if (changed) emit stopMarkChanged();
}

void DocumentObject::SetDesignTable(DesignCheck check, std::optional<report::TableRows> table) {
    m_design[static_cast<std::size_t>(check)] = std::move(table);
}

std::vector<report::TableRows> DocumentObject::DesignTables() const {
    std::vector<report::TableRows> tables;
    for (const auto& table : m_design)
        if (table) tables.push_back(*table);
    return tables;
}

void DocumentObject::Record(document::Edit inverse, const QString& text) {
    m_undo.push(new EditCommand(m_document, std::move(inverse), text));
}

} // namespace varlen::gui
