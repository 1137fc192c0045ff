// The three results windows (frmGlobalDisplacements, frmLocalForces, frmReactions): a member list, the
// chosen member's description and a labelled grid of its four end values from the results store,
// rendered with the decimal places of the last analysis. And frmOptions, which holds those places.
#pragma once

#include <QWidget>

#include "analysis/results.h"
#include "app/document_object.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace varlen::gui {

enum class ResultsKind { GlobalDisplacements, LocalForces, GlobalForces };

class ResultsWindow final : public QWidget {
    Q_OBJECT
public:
    ResultsWindow(DocumentObject& document, ResultsKind kind, QWidget* parent = nullptr);
    // Shows member `member` (1-based), as choosing it in the list does.
    void ChooseMember(int member);
    [[nodiscard]] QTableWidget* Grid() const { return m_grid; }

private:
    void Refill();
    void ShowChosen(int position);

    DocumentObject& m_document;
    ResultsKind m_kind;
    QComboBox* m_members;
    QLabel* m_description;
    QTableWidget* m_grid;
};

class OptionsWindow final : public QWidget {
    Q_OBJECT
public:
    explicit OptionsWindow(QWidget* parent = nullptr);
    // The number of places as the analysis reads it: the box's leading number, 0 when empty.
    [[nodiscard]] int Places() const;

signals:
    // Any change of the text: the results shown no longer match the places asked for.
    void placesChanged();
    void done();

private:
    QLineEdit* m_places;
};

} // namespace varlen::gui
