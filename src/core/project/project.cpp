#include "project/project.h"

namespace varlen::project {

Table EmptyJointsTable() {
    return Table({"", "#", "X", "Y", "Joint Description", "Fixed Fx", "Fixed Fy", "Restraint Description"});
}
Table EmptyMaterialsTable() {
    return Table({"", "#", "Young's Modulus", "Material Description"});
}
Table EmptySectionsTable() {
    return Table({"", "#", "Cross Sectional Area", "Cross Sectional Description"});
}
Table EmptyMembersTable() {
    return Table({"", "#", "Joint i", "Joint j", "Material", "Cross Section", "Member Description"});
}
Table EmptyLoadsTable() {
    return Table({"", "#", "Fx", "Fy", "Joint Load Description"});
}

Table EmptyFactorsTable() {
    return Table({"", "Load Case", "Factor"});
}

Project NewProject() {
    Project p;
    p.joints = EmptyJointsTable();
    p.materials = EmptyMaterialsTable();
    p.sections = EmptySectionsTable();
    p.members = EmptyMembersTable();
    p.loads = EmptyLoadsTable();
    p.joints.SetRowCount(2);
    p.materials.SetRowCount(2);
    p.sections.SetRowCount(2);
    p.members.SetRowCount(2);
    return p;
}

} // namespace varlen::project
