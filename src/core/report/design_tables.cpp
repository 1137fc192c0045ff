#include "report/design_tables.h"

namespace varlen::report {
namespace {

Cell MemberCell(int member) {
    Cell cell = WholeCell(member);
    cell.text.insert(cell.text.begin(), ' ');
    return cell;
}

} // namespace

const char* OutcomeText(bool ok) {
    return ok ? "OK" : "Failed";
}

// Designed for an envelope, each row names the combination its force comes from, in a last column;
// designed for one set of results, the table is as it always was.
template <typename Row> void AddGoverning(TableRows& table, const std::vector<Row>& rows) {
    bool any = false;
    for (const Row& row : rows)
        any = any || !row.by.empty();
    if (!any) return;
    table.headings.emplace_back("Combination");
    for (std::size_t r = 0; r < rows.size(); ++r)
        table.rows[r].push_back(TextCell(rows[r].by));
}

TableRows TensionRows(const design::TensionOutcome& outcome, int places) {
    TableRows table{"Design of Tension Members", {"#", "Actual Stress", "Required Area", "Outcome"}, {}};
    for (const design::TensionRow& row : outcome.rows)
        table.rows.push_back({MemberCell(row.member), NumberCell(row.actualStress, places),
                              NumberCell(row.requiredArea, places), TextCell(OutcomeText(row.ok))});
    AddGoverning(table, outcome.rows);
    return table;
}

TableRows CompressionRows(const design::CompressionOutcome& outcome, int places) {
    TableRows table{"Design of Compression Members", {"#", "Actual Stress", "Allow. Stress", "Outcome"}, {}};
    for (const design::CompressionRow& row : outcome.rows)
        table.rows.push_back({MemberCell(row.member), NumberCell(row.actualStress, places),
                              NumberCell(row.allowableStress, places), TextCell(OutcomeText(row.ok))});
    AddGoverning(table, outcome.rows);
    return table;
}

TableRows WeldRows(const design::WeldOutcome& outcome, int places) {
    TableRows table{"Fillet Weld Design", {"#", "Required at Both Ends"}, {}};
    for (const design::WeldRow& row : outcome.rows)
        table.rows.push_back({MemberCell(row.member), NumberCell(row.length, places)});
    AddGoverning(table, outcome.rows);
    return table;
}

} // namespace varlen::report
