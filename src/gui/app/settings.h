// The program's settings that several windows read: one object, with a signal when they change, so no
// window keeps its own copy to be kept equal by hand.
#pragma once

#include <QObject>

namespace varlen::gui {

class Settings final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Decimal places of the results grids and design tables: 3 at start, at most 10 once confirmed.
    [[nodiscard]] int Places() const { return m_places; }
    // Every change of the places option counts, even to the same number: the results shown stop
    // matching what was asked for until the next analysis.
    void SetPlaces(int places) {
        m_places = places;
        emit placesChanged();
    }

signals:
    void placesChanged();

private:
    int m_places = 3;
};

} // namespace varlen::gui
