// Member design to BS 449: the strut curve against the published table, worked examples of the three
// checks on analysed trusses, the refusals and the stops part-way with the member named.
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "design/bs449.h"
#include "project/number_text.h"
#include "test_support.h"

namespace varlen::design {

// gtest finds it by the fault's namespace: a failed comparison shows the fault in words.
void PrintTo(const DesignFault& fault, std::ostream* out) {
    *out << "status " << static_cast<int>(fault.status) << ": " << DesignMessage({fault});
}

namespace {

using test::JointSpec;
using test::LoadSpec;
using test::MemberSpec;

std::string Standard(const std::string& cause = {}) {
    return cause.empty() ? std::string(kDesignErrorText) : std::string(kDesignErrorText) + "\n" + cause;
}

// One bar along X from (0, 0) to (length, 0) m, pinned at joint 1 and on a roller (Y fixed) at joint 2,
// loaded at joint 2 by fx kN: positive pulls (tension), negative pushes (compression).
project::Project Bar(double fx, double area, const std::string& description = "Section",
                     double length = 1.0) {
    project::Project p = test::MakeProject({{0, 0, true, true}, {length, 0, false, true}}, {{1, 2}},
                                           {{2, fx, 0}}, {200}, {area});
    p.sections.SetCell(1, project::section_col::Description, description);
    return p;
}

// Three bars end to end along X (1 m each), pinned at joint 1, every other joint on a roller; a push of
// 10 kN at joint 4 puts all three in compression (F = +10 kN).
project::Project CompressedLine(const std::vector<int>& sections, const std::vector<double>& areas) {
    std::vector<MemberSpec> members;
    for (int m = 0; m < 3; ++m)
        members.push_back({m + 1, m + 2, 1, sections[static_cast<std::size_t>(m)]});
    return test::MakeProject(
        {{0, 0, true, true}, {1, 0, false, true}, {2, 0, false, true}, {3, 0, false, true}}, members,
        {{4, -10, 0}}, {200}, areas);
}

// ---- Allowable compressive stress ----

struct PcColumn {
    double ys;
    std::vector<double> pc; // at slenderness 20, 50, 100, 150, 200
};

class AllowableCompressiveStressTable : public ::testing::TestWithParam<PcColumn> {};

TEST_P(AllowableCompressiveStressTable, MatchesThePublishedValues) {
    const PcColumn& column = GetParam();
    const double slenderness[] = {20, 50, 100, 150, 200};
    for (std::size_t i = 0; i < column.pc.size(); ++i)
        EXPECT_NEAR(AllowableCompressiveStress(slenderness[i], column.ys), column.pc[i], 0.01)
            << "slenderness " << slenderness[i];
}

INSTANTIATE_TEST_SUITE_P(YieldStress, AllowableCompressiveStressTable,
                         ::testing::Values(PcColumn{250, {145.23, 133.30, 79.21, 40.35, 23.52}},
                                           PcColumn{350, {203.27, 183.77, 92.24, 44.19, 25.35}},
                                           PcColumn{430, {249.68, 222.30, 98.57, 46.05, 26.25}}),
                         [](const ::testing::TestParamInfo<PcColumn>& info) {
                             return "Ys" + std::to_string(static_cast<int>(info.param.ys));
                         });

TEST(AllowableCompressiveStress, AgreesWithTheFormulaAsWrittenAndHasSoundLimits) {
    for (double lambda : {5.0, 37.0, 120.0, 180.0, 350.0}) {
        const double ys = 275;
        const double eta = 0.3 * (lambda / 100) * (lambda / 100);
        const double co = kDesignPi * kDesignPi * kDesignYoungsModulus / (lambda * lambda);
        const double h = (ys + (eta + 1) * co) / 2;
        EXPECT_NEAR(AllowableCompressiveStress(lambda, ys), (h - std::sqrt(h * h - ys * co)) / 1.7, 1e-9)
            << lambda;
    }
    EXPECT_DOUBLE_EQ(AllowableCompressiveStress(0, 250), 250 / 1.7);
    EXPECT_NEAR(AllowableCompressiveStress(1e-3, 250), 250 / 1.7, 1e-6);
    EXPECT_LT(AllowableCompressiveStress(1e6, 250), 1e-6);
}

// ---- Tension ----

TEST(TensionDesign, WorkedExample) {
    const project::Project p = Bar(50, 500);
    const analysis::Results r = test::AnalyseOrFail(p);
    const TensionOutcome outcome = TensionDesign(p, &r, false, 155);
    ASSERT_TRUE(outcome.Complete()) << DesignMessage({outcome.fault});
    ASSERT_EQ(outcome.rows.size(), 1u);
    const TensionRow& row = outcome.rows[0];
    EXPECT_EQ(row.member, 1);
    EXPECT_NEAR(row.force, -50, 1e-9);
    EXPECT_NEAR(row.actualStress, 100, 1e-9);
    EXPECT_NEAR(row.requiredArea, 322.5806451612903, 1e-9);
    EXPECT_TRUE(row.ok);
}

TEST(TensionDesign, OverstressedMemberFails) {
    const project::Project p = Bar(50, 300);
    const analysis::Results r = test::AnalyseOrFail(p);
    const TensionOutcome outcome = TensionDesign(p, &r, false, 155);
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_NEAR(outcome.rows[0].actualStress, 166.6666666667, 1e-6);
    EXPECT_FALSE(outcome.rows[0].ok);
}

TEST(TensionDesign, StressEqualToPtPasses) {
    const project::Project p = Bar(50, 500);
    const analysis::Results r = test::AnalyseOrFail(p);
    const double fa = TensionDesign(p, &r, false, 155).rows.at(0).actualStress;
    EXPECT_TRUE(TensionDesign(p, &r, false, fa).rows.at(0).ok);
    EXPECT_TRUE(TensionDesign(p, &r, false, std::nextafter(fa, 0.0)).rows.at(0).ok)
        << "a tie in decimal, off in binary";
    EXPECT_FALSE(TensionDesign(p, &r, false, fa * (1 - 1e-7)).rows.at(0).ok)
        << "the allowance is no wider than that";
}

// A member whose force is exactly `force` kN (end i, member axis): one bar along X, k = 1 kN/mm, so the
// force is the displacement itself, without the rounding of a solve.
analysis::Results ExactForce(double force) {
    return analysis::Results({0, 0, force, 0},
                             {analysis::Results::MemberState{1, 2, analysis::Rotation{1.0, 0.0}, 1.0}},
                             {0, 0, force, 0}, {3, 2});
}

// Forces and areas typed so that 1000 F / A is exactly pt in decimal. In binary about a third of them
// land a unit above pt; each must still read "OK". A strict comparison would fail the count below.
TEST(TensionDesign, DecimalTiesWithPtAllPass) {
    int aboveInBinary = 0, checked = 0;
    for (const double pt : {140.0, 155.0, 215.0, 265.0, 245.0, 153.374}) {
        for (int thousandths = 100001; thousandths < 5000000; thousandths += 49999) {
            const std::string area = std::to_string(thousandths / 1000) + "." +
                                     std::to_string(1000 + thousandths % 1000).substr(1);
            // F = pt A / 1000 kN, written out in decimal (at most 13 significant digits: exact in text).
            char force[64];
            std::snprintf(force, sizeof force, "%.9f", pt * project::ReadNumber(area) / 1000);
            const double f = project::ReadNumber(force);
            if (std::abs(1000 * f / project::ReadNumber(area) - pt) > 1e-6 * pt)
                continue; // not a decimal tie
            project::Project p = Bar(10, 500);
            p.sections.SetCell(1, project::section_col::Area, area);
            const analysis::Results r = ExactForce(f); // pulled: F at end i is -f
            const TensionOutcome outcome = TensionDesign(p, &r, false, pt);
            ASSERT_EQ(outcome.rows.size(), 1u);
            ++checked;
            if (outcome.rows[0].actualStress > pt) ++aboveInBinary;
            EXPECT_TRUE(outcome.rows[0].ok) << "pt " << pt << ", A " << area << ", F " << force;
        }
    }
    EXPECT_GT(checked, 300);
    EXPECT_GT(aboveInBinary, 0) << "the ties must include some that binary puts above pt";
}

TEST(TensionDesign, ZeroForceCountsAsTension) {
    // The load acts along the roller's fixed direction and goes straight into the support.
    const project::Project p =
        test::MakeProject({{0, 0, true, true}, {1, 0, false, true}}, {{1, 2}}, {{2, 0, -10}}, {200}, {500});
    const analysis::Results r = test::AnalyseOrFail(p);
    const TensionOutcome tension = TensionDesign(p, &r, false, 155);
    ASSERT_EQ(tension.rows.size(), 1u);
    EXPECT_EQ(tension.rows[0].actualStress, 0);
    EXPECT_EQ(tension.rows[0].requiredArea, 0);
    EXPECT_TRUE(tension.rows[0].ok);
    EXPECT_TRUE(CompressionDesign(p, &r, false, 250).rows.empty());
    const WeldOutcome welds = WeldDesign(p, &r, false, 4, 215);
    ASSERT_EQ(welds.rows.size(), 1u);
    EXPECT_EQ(welds.rows[0].length, 0);
}

TEST(TensionDesign, CompressionMembersGetNoRowAndTheirSectionsAreNotLookedAt) {
    const project::Project p = CompressedLine({1, 1, 2}, {500, 500}); // section 2 has no braces
    const analysis::Results r = test::AnalyseOrFail(p);
    const TensionOutcome outcome = TensionDesign(p, &r, false, 155);
    EXPECT_TRUE(outcome.Complete());
    EXPECT_TRUE(outcome.rows.empty());
}

TEST(TensionDesign, UsesTheFullPrecisionForce) {
    // The grids at no decimal places would show 45.6 kN as "+5. E+01", which reads back as 50.
    const project::Project p = Bar(45.6, 500);
    const analysis::Results r = test::AnalyseOrFail(p);
    const TensionOutcome tension = TensionDesign(p, &r, false, 155);
    ASSERT_EQ(tension.rows.size(), 1u);
    EXPECT_NEAR(tension.rows[0].actualStress, 91.2, 1e-9);
    EXPECT_NEAR(tension.rows[0].requiredArea, 45600.0 / 155, 1e-9);
    const WeldOutcome welds = WeldDesign(p, &r, false, 6, 215);
    EXPECT_NEAR(welds.rows.at(0).length, 45.6 / (6 * kThroatPerLeg * 215), 1e-12);

    const project::Project strut = Bar(-45.6, 500, "SHS {10}");
    const analysis::Results rs = test::AnalyseOrFail(strut);
    EXPECT_NEAR(CompressionDesign(strut, &rs, false, 250).rows.at(0).actualStress, 91.2, 1e-9);
}

// ---- Compression ----

TEST(CompressionDesign, WorkedExample) {
    const project::Project p = Bar(-20, 500, " 25 x  25 x 1.0 x 0.007 kN/m (500){10}");
    const analysis::Results r = test::AnalyseOrFail(p);
    const CompressionOutcome outcome = CompressionDesign(p, &r, false, 250);
    ASSERT_TRUE(outcome.Complete()) << DesignMessage({outcome.fault});
    ASSERT_EQ(outcome.rows.size(), 1u);
    const CompressionRow& row = outcome.rows[0];
    EXPECT_EQ(row.member, 1);
    EXPECT_NEAR(row.force, 20, 1e-9);
    EXPECT_NEAR(row.actualStress, 40, 1e-9);
    EXPECT_NEAR(row.slenderness, 100, 1e-9);
    EXPECT_NEAR(row.allowableStress, 79.21, 0.005);
    EXPECT_TRUE(row.ok);
    EXPECT_TRUE(TensionDesign(p, &r, false, 155).rows.empty()) << "no tension row for a strut";
}

TEST(CompressionDesign, OverstressedStrutFails) {
    const project::Project p = Bar(-50, 500, "{10}");
    const analysis::Results r = test::AnalyseOrFail(p);
    const CompressionOutcome outcome = CompressionDesign(p, &r, false, 250);
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_NEAR(outcome.rows[0].actualStress, 100, 1e-9);
    EXPECT_FALSE(outcome.rows[0].ok);
}

TEST(CompressionDesign, OutcomeTurnsWhereTheStressReachesPc) {
    // pc rises with Ys: find the adjacent yield stresses between which pc passes fa.
    const project::Project p = Bar(-20, 500, "{10}");
    const analysis::Results r = test::AnalyseOrFail(p);
    const double fa = CompressionDesign(p, &r, false, 250).rows.at(0).actualStress;
    const double lambda = CompressionDesign(p, &r, false, 250).rows.at(0).slenderness;
    double low = 1, high = 250; // pc(low) < fa <= pc(high)
    while (std::nextafter(low, high) < high) {
        const double mid = low + (high - low) / 2;
        if (mid == low || mid == high) break;
        (AllowableCompressiveStress(lambda, mid) < fa ? low : high) = mid;
    }
    // Here pc lands exactly on fa at `high`, so this also checks that fa equal to pc passes.
    EXPECT_EQ(AllowableCompressiveStress(lambda, high), fa);
    EXPECT_TRUE(CompressionDesign(p, &r, false, high).rows.at(0).ok);
    EXPECT_TRUE(CompressionDesign(p, &r, false, low).rows.at(0).ok)
        << "one unit below is still the same stress";
    EXPECT_FALSE(CompressionDesign(p, &r, false, high * (1 - 1e-6)).rows.at(0).ok);
}

// Areas typed in decimal and the force that puts fa on pc: 1000 F / A comes back a unit or so either
// side of pc, and every one must read "OK"; a force larger by a millionth must fail.
TEST(CompressionDesign, TiesWithPcAllPass) {
    const double lambda = 100; // L = 1 m, r = 10 mm
    int aboveInBinary = 0, checked = 0;
    for (const double ys : {250.0, 350.0, 430.0}) {
        const double pc = AllowableCompressiveStress(lambda, ys);
        for (int thousandths = 100001; thousandths < 5000000; thousandths += 37313) {
            const std::string area = std::to_string(thousandths / 1000) + "." +
                                     std::to_string(1000 + thousandths % 1000).substr(1);
            const double f = pc * project::ReadNumber(area) / 1000;
            project::Project p = Bar(10, 500, "SHS {10}");
            p.sections.SetCell(1, project::section_col::Area, area);
            const analysis::Results r = ExactForce(-f); // pushed: F at end i is +f
            const CompressionOutcome outcome = CompressionDesign(p, &r, false, ys);
            ASSERT_EQ(outcome.rows.size(), 1u) << DesignMessage({outcome.fault});
            ASSERT_EQ(outcome.rows[0].slenderness, lambda);
            ++checked;
            if (outcome.rows[0].actualStress > outcome.rows[0].allowableStress) ++aboveInBinary;
            EXPECT_TRUE(outcome.rows[0].ok) << "Ys " << ys << ", A " << area;
            const analysis::Results over = ExactForce(-f * (1 + 1e-6));
            EXPECT_FALSE(CompressionDesign(p, &over, false, ys).rows.at(0).ok)
                << "Ys " << ys << ", A " << area;
        }
    }
    EXPECT_GT(checked, 300);
    EXPECT_GT(aboveInBinary, 0) << "the ties must include some that binary puts above pc";
}

TEST(CompressionDesign, RadiusIsReadAfterTheBraceAndUpToTheClosingOne) {
    const project::Project p = Bar(-20, 500, "12.5}"); // no "{": read from the first character
    const analysis::Results r = test::AnalyseOrFail(p);
    EXPECT_NEAR(CompressionDesign(p, &r, false, 250).rows.at(0).slenderness, 80, 1e-9);
}

// ---- Welds ----

TEST(WeldDesign, WorkedExampleAndEveryMemberGetsARow) {
    project::Project p = test::MakeProject({{0, 0, true, true}, {1, 0, false, true}, {2, 0, false, true}},
                                           {{1, 2}, {2, 3}}, {{2, -100, 0}, {3, 100, 0}}, {200}, {500});
    const analysis::Results r = test::AnalyseOrFail(p);
    const WeldOutcome outcome = WeldDesign(p, &r, false, 6, 215);
    ASSERT_TRUE(outcome.Complete());
    ASSERT_EQ(outcome.rows.size(), 2u);
    EXPECT_EQ(outcome.rows[0].member, 1);
    EXPECT_NEAR(outcome.rows[0].force, 0, 1e-9); // the two loads balance within member 2
    EXPECT_NEAR(outcome.rows[0].length, 0, 1e-12);
    EXPECT_EQ(outcome.rows[1].member, 2);
    EXPECT_NEAR(outcome.rows[1].force, -100, 1e-9);
    EXPECT_NEAR(outcome.rows[1].length, 0.10963, 5e-6); // metres at each end
    EXPECT_NEAR(outcome.rows[1].length, 100 / (6 * 0.707106781 * 215), 1e-12);

    const project::Project strut = Bar(-100, 500);
    const analysis::Results rs = test::AnalyseOrFail(strut);
    EXPECT_NEAR(WeldDesign(strut, &rs, false, 6, 215).rows.at(0).length, 0.10963, 5e-6)
        << "struts need welds too";
}

// ---- Stops part-way: the rows before the member at fault stay, the fault names it ----

// Only the fields a status names are set, so comparing whole faults also catches a stray field.
DesignFault Expected(DesignStatus status, int member, void (*fill)(DesignFault&) = nullptr) {
    DesignFault f;
    f.status = status;
    f.member = member;
    if (fill) fill(f);
    return f;
}

struct Stop {
    std::vector<int> rows; // the members of the rows kept
    DesignFault fault;
};

template <typename Outcome> Stop StopOf(const Outcome& outcome) {
    Stop stop{{}, outcome.fault};
    for (const auto& row : outcome.rows)
        stop.rows.push_back(row.member);
    EXPECT_FALSE(outcome.Refused());
    return stop;
}

struct StopCase {
    const char* name;
    Stop (*run)();
    std::vector<int> rowsBefore;
    DesignFault fault;
};

// Two bars along X pulled at joint 3 (both in tension), analysed with 500 mm² each; `area2` is typed
// over section 2 afterwards.
Stop TensionWithSecondArea(const char* area2, double pt) {
    project::Project p = test::MakeProject({{0, 0, true, true}, {1, 0, false, true}, {2, 0, false, true}},
                                           {{1, 2, 1, 1}, {2, 3, 1, 2}}, {{3, 10, 0}}, {200}, {500, 500});
    const analysis::Results r = test::AnalyseOrFail(p);
    p.sections.SetCell(2, project::section_col::Area, area2);
    return StopOf(TensionDesign(p, &r, false, pt));
}

Stop StrutWith(const char* description, const char* area = "500", const char* joint2X = nullptr) {
    project::Project p = Bar(-20, 500, description);
    const analysis::Results r = test::AnalyseOrFail(p);
    p.sections.SetCell(1, project::section_col::Area, area);
    if (joint2X) p.joints.SetCell(2, project::joint_col::X, joint2X);
    return StopOf(CompressionDesign(p, &r, false, 250));
}

Stop WeldsWith(double leg, double pw) {
    const project::Project p = Bar(100, 500);
    const analysis::Results r = test::AnalyseOrFail(p);
    return StopOf(WeldDesign(p, &r, false, leg, pw));
}

class DesignStops : public ::testing::TestWithParam<StopCase> {};

TEST_P(DesignStops, KeepsTheRowsBeforeAndNamesTheFault) {
    const Stop stop = GetParam().run();
    EXPECT_EQ(stop.rows, GetParam().rowsBefore);
    EXPECT_EQ(stop.fault, GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, DesignStops,
    ::testing::Values(
        // 10 kN over 1e-308 mm² is beyond any double; so is the area needed at a pt of 1e-308.
        StopCase{"TensionStressOverflows",
                 [] { return TensionWithSecondArea("1e-308", 155); },
                 {1},
                 Expected(DesignStatus::QuantityTooLarge, 2,
                          [](DesignFault& f) { f.quantity = Quantity::ActualStress; })},
        StopCase{"TensionRequiredAreaOverflows",
                 [] { return TensionWithSecondArea("500", 1e-308); },
                 {},
                 Expected(DesignStatus::QuantityTooLarge, 1,
                          [](DesignFault& f) { f.quantity = Quantity::RequiredArea; })},
        StopCase{"TensionSectionWithoutArea",
                 [] { return TensionWithSecondArea("0", 155); },
                 {1},
                 Expected(DesignStatus::SectionWithoutArea, 2, [](DesignFault& f) { f.section = 2; })},
        StopCase{"TensionSectionNotInTable",
                 [] {
                     project::Project p = Bar(10, 500);
                     const analysis::Results r = test::AnalyseOrFail(p);
                     p.members.SetCell(1, project::member_col::Section, "3");
                     return StopOf(TensionDesign(p, &r, false, 155));
                 },
                 {},
                 Expected(DesignStatus::SectionNotInTable, 1,
                          [](DesignFault& f) {
                              f.value = 3;
                              f.tableRows = 1;
                          })},
        StopCase{"TensionPtOfZero",
                 [] { return TensionWithSecondArea("500", 0); },
                 {},
                 Expected(DesignStatus::ParameterNotPositive, 1,
                          [](DesignFault& f) { f.parameter = Parameter::AllowableTensionStress; })},
        // 1000 L / r with r = 1e-320 mm: beyond any double.
        StopCase{"StrutSlendernessOverflows",
                 [] { return StrutWith("SHS {1e-320}"); },
                 {},
                 Expected(DesignStatus::QuantityTooLarge, 1,
                          [](DesignFault& f) { f.quantity = Quantity::Slenderness; })},
        StopCase{"StrutStressOverflows",
                 [] { return StrutWith("SHS {10}", "1e-307"); },
                 {},
                 Expected(DesignStatus::QuantityTooLarge, 1,
                          [](DesignFault& f) { f.quantity = Quantity::ActualStress; })},
        StopCase{"StrutRadiusOfZero",
                 [] { return StrutWith("SHS {0}"); },
                 {},
                 Expected(DesignStatus::RadiusNotPositive, 1,
                          [](DesignFault& f) {
                              f.section = 1;
                              f.sectionDescription = "SHS {0}";
                          })},
        StopCase{"StrutOfZeroLength",
                 [] { return StrutWith("{10}", "500", "0"); },
                 {},
                 Expected(DesignStatus::ZeroLength, 1,
                          [](DesignFault& f) {
                              f.jointI = 1;
                              f.jointJ = 2;
                          })},
        StopCase{"StrutLengthUnmeasurable",
                 [] {
                     project::Project p = Bar(-20, 500, "{10}");
                     const analysis::Results r = test::AnalyseOrFail(p);
                     p.joints.SetCell(1, project::joint_col::X, "-1e308");
                     p.joints.SetCell(2, project::joint_col::X, "1e308");
                     return StopOf(CompressionDesign(p, &r, false, 250));
                 },
                 {},
                 Expected(DesignStatus::LengthUnmeasurable, 1,
                          [](DesignFault& f) {
                              f.jointI = 1;
                              f.jointJ = 2;
                          })},
        // A catalogue section first, then one typed by hand: the third strut stops the check.
        StopCase{"StrutSectionWithoutBraces",
                 [] {
                     project::Project p = CompressedLine({1, 1, 2}, {500, 500});
                     p.sections.SetCell(1, project::section_col::Description,
                                        " 25 x  25 x 1.0 x 0.007 kN/m (96.129){9.957}");
                     p.sections.SetCell(2, project::section_col::Description, "None");
                     const analysis::Results r = test::AnalyseOrFail(p);
                     return StopOf(CompressionDesign(p, &r, false, 250));
                 },
                 {1, 2},
                 Expected(DesignStatus::NoRadiusOfGyration, 3,
                          [](DesignFault& f) {
                              f.section = 2;
                              f.sectionDescription = "None";
                          })},
        StopCase{"WeldLegOfZero",
                 [] { return WeldsWith(0, 215); },
                 {},
                 Expected(DesignStatus::ParameterNotPositive, 1,
                          [](DesignFault& f) { f.parameter = Parameter::WeldLeg; })},
        StopCase{"WeldStrengthNegative",
                 [] { return WeldsWith(4, -1); },
                 {},
                 Expected(DesignStatus::ParameterNotPositive, 1,
                          [](DesignFault& f) {
                              f.parameter = Parameter::WeldDesignStrength;
                              f.value = -1;
                          })},
        // A leg at the bottom of the double range: q is tiny but not 0, and 100 kN over it overflows;
        // with q itself 0 a member without force would give 0 / 0.
        StopCase{"WeldLengthOverflows",
                 [] { return WeldsWith(4e-324, 215); },
                 {},
                 Expected(DesignStatus::QuantityTooLarge, 1,
                          [](DesignFault& f) { f.quantity = Quantity::WeldLength; })},
        StopCase{"WeldStrengthPerMmUnderflows",
                 [] { return WeldsWith(4e-324, 0.25); },
                 {},
                 Expected(DesignStatus::QuantityTooSmall, 1,
                          [](DesignFault& f) { f.quantity = Quantity::WeldStrengthPerMm; })},
        StopCase{"WeldStrengthPerMmOverflows",
                 [] { return WeldsWith(1e300, 1e300); },
                 {},
                 Expected(DesignStatus::QuantityTooLarge, 1,
                          [](DesignFault& f) { f.quantity = Quantity::WeldStrengthPerMm; })}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return info.param.name; });

// ---- Refusals common to the three checks ----

template <typename Outcome> void ExpectRefused(const Outcome& outcome, const DesignFault& fault) {
    EXPECT_TRUE(outcome.Refused());
    EXPECT_TRUE(outcome.rows.empty());
    EXPECT_EQ(outcome.fault, fault);
}

TEST(DesignRefusal, WithoutResults) {
    const project::Project p = Bar(10, 500, "{10}");
    const DesignFault fault = Expected(DesignStatus::NoResults, 0);
    ExpectRefused(TensionDesign(p, nullptr, false, 155), fault);
    ExpectRefused(CompressionDesign(p, nullptr, false, 250), fault);
    ExpectRefused(WeldDesign(p, nullptr, false, 4, 215), fault);
}

TEST(DesignRefusal, WhenTheProjectChangedSinceTheAnalysis) {
    const project::Project p = Bar(10, 500, "{10}");
    const analysis::Results r = test::AnalyseOrFail(p);
    const DesignFault fault = Expected(DesignStatus::StaleResults, 0);
    ExpectRefused(TensionDesign(p, &r, true, 155), fault);
    ExpectRefused(CompressionDesign(p, &r, true, 250), fault);
    ExpectRefused(WeldDesign(p, &r, true, 4, 215), fault);
}

TEST(DesignRefusal, MemberAddedAfterTheAnalysis) {
    project::Project p = Bar(10, 500, "{10}");
    const analysis::Results r = test::AnalyseOrFail(p);
    p.members.SetRowCount(3);
    p.members.SetRow(2, {"", "2", "1", "2", "1", "1", "Added"});
    const DesignFault fault = Expected(DesignStatus::MemberWithoutResult, 2);
    ExpectRefused(TensionDesign(p, &r, false, 155), fault);
    ExpectRefused(CompressionDesign(p, &r, false, 250), fault);
    ExpectRefused(WeldDesign(p, &r, false, 4, 215), fault);
}

// ---- The words: one sentence per kind of fault, as the user reads them ----

TEST(DesignMessages, TitleAndText) {
    EXPECT_STREQ(kDesignErrorTitle, "Please Review Your Structure");
    EXPECT_STREQ(kDesignErrorText,
                 "Changes Occured or Structure has not been analysed or Cross Sectional Properties "
                 "Has Been Wrongly Defined! Structure Cannot Be Designed.");
}

struct WordingCase {
    const char* name;
    DesignFault fault;
    const char* cause; // the line under the standard text; empty for none
};

class DesignWording : public ::testing::TestWithParam<WordingCase> {};

TEST_P(DesignWording, StandardTextThenTheCause) {
    EXPECT_EQ(DesignMessage({GetParam().fault}), Standard(GetParam().cause));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DesignWording,
    ::testing::Values(
        WordingCase{"NoResults", Expected(DesignStatus::NoResults, 0), ""},
        WordingCase{"StaleResults", Expected(DesignStatus::StaleResults, 0), ""},
        WordingCase{"MemberWithoutResult", Expected(DesignStatus::MemberWithoutResult, 2),
                    "Member 2 has no result: it was added after the analysis. Analyse the structure again."},
        WordingCase{"SectionNotInTable",
                    Expected(DesignStatus::SectionNotInTable, 1,
                             [](DesignFault& f) {
                                 f.value = 3;
                                 f.tableRows = 1;
                             }),
                    "Member 1 names cross-section 3, which is not in the cross-sections table (1 to 1)."},
        WordingCase{"SectionWithoutArea",
                    Expected(DesignStatus::SectionWithoutArea, 2, [](DesignFault& f) { f.section = 2; }),
                    "Member 2 uses cross-section 2, whose area is 0."},
        WordingCase{
            "NoRadiusOfGyration",
            Expected(DesignStatus::NoRadiusOfGyration, 3,
                     [](DesignFault& f) {
                         f.section = 2;
                         f.sectionDescription = "None";
                     }),
            "Member 3 uses cross-section 2 (\"None\"), whose description gives no radius of gyration in "
            "braces, such as {9.957}: pick the section from the catalogue or add its radius of gyration."},
        // A description from a file may hold control characters: they are shown, not obeyed.
        WordingCase{
            "DescriptionWithControlCharacters",
            Expected(DesignStatus::NoRadiusOfGyration, 3,
                     [](DesignFault& f) {
                         f.section = 2;
                         f.sectionDescription = std::string("SHS\x1b[2J\0x", 9);
                     }),
            "Member 3 uses cross-section 2 (\"SHS\\x1B[2J\\x00x\"), whose description gives no radius of "
            "gyration in "
            "braces, such as {9.957}: pick the section from the catalogue or add its radius of gyration."},
        WordingCase{
            "RadiusNotPositive",
            Expected(DesignStatus::RadiusNotPositive, 1,
                     [](DesignFault& f) {
                         f.section = 1;
                         f.sectionDescription = "SHS {0}";
                     }),
            "Member 1 uses cross-section 1 (\"SHS {0}\"), whose radius of gyration in braces is 0; it must "
            "be a number greater than 0."},
        WordingCase{"JointNotInTable",
                    Expected(DesignStatus::JointNotInTable, 4,
                             [](DesignFault& f) {
                                 f.value = 12;
                                 f.tableRows = 0;
                             }),
                    "Member 4 names joint 12, which is not in the joints table (which is empty)."},
        WordingCase{"ZeroLength",
                    Expected(DesignStatus::ZeroLength, 1,
                             [](DesignFault& f) {
                                 f.jointI = 1;
                                 f.jointJ = 2;
                             }),
                    "Member 1 has zero length: joints 1 and 2 are at the same point."},
        WordingCase{"LengthUnmeasurable",
                    Expected(DesignStatus::LengthUnmeasurable, 1,
                             [](DesignFault& f) {
                                 f.jointI = 1;
                                 f.jointJ = 2;
                             }),
                    "Member 1 cannot be measured: the co-ordinates of joints 1 and 2 are too large."},
        WordingCase{"ParameterNotPositive",
                    Expected(DesignStatus::ParameterNotPositive, 1,
                             [](DesignFault& f) {
                                 f.parameter = Parameter::WeldDesignStrength;
                                 f.value = -1;
                             }),
                    "Member 1: the weld design strength pw is -1 N/mm2; it must be a number greater than 0."},
        WordingCase{"QuantityTooLarge",
                    Expected(DesignStatus::QuantityTooLarge, 3,
                             [](DesignFault& f) { f.quantity = Quantity::RequiredArea; }),
                    "Member 3: the required area is too large to be represented."},
        WordingCase{
            "QuantityTooSmall",
            Expected(DesignStatus::QuantityTooSmall, 1,
                     [](DesignFault& f) { f.quantity = Quantity::WeldStrengthPerMm; }),
            "Member 1: the weld strength per millimetre (throat x pw) is too small to be represented."},
        WordingCase{"QuantityUndefined",
                    Expected(DesignStatus::QuantityUndefined, 5,
                             [](DesignFault& f) { f.quantity = Quantity::Slenderness; }),
                    "Member 5: the slenderness cannot be worked out from these values."}),
    [](const ::testing::TestParamInfo<WordingCase>& info) { return info.param.name; });

// The command line words the faults of all three checks in one message: the standard text once.
TEST(DesignMessages, SeveralFaultsShareTheStandardText) {
    const DesignFault area = Expected(DesignStatus::QuantityTooLarge, 3,
                                      [](DesignFault& f) { f.quantity = Quantity::RequiredArea; });
    const DesignFault leg = Expected(DesignStatus::ParameterNotPositive, 1,
                                     [](DesignFault& f) { f.parameter = Parameter::WeldLeg; });
    EXPECT_EQ(DesignMessage({area, DesignFault{}, leg}),
              Standard("Member 3: the required area is too large to be represented.\n"
                       "Member 1: the weld leg is 0 mm; it must be a number greater than 0."));
    EXPECT_EQ(DesignMessage({DesignFault{}}), "") << "nothing to say when every check completed";
}

// ---- Table 19 ----

TEST(Table19, HeadingRowsAndClosingLine) {
    const std::string text = Table19Text();
    EXPECT_EQ(
        text.rfind(
            "Table 19. Allowable Stress pt  In Axial Tension\r\n\r\nForm\tGrade\tThickness(mm)\tpt\r\n---",
            0),
        0u);
    EXPECT_NE(text.find("\r\nRolled I-beams and channels\t43\tAll\t155\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nUniversal Beams and Columns\t43\tUp to 40\t155\r\n\t\tOver 40\t140\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\t50\tUp to 65\t215\r\n\t\tOver 65\tYs / 1.63\r\n"), std::string::npos);
    EXPECT_NE(text.find("\t55\tUp to 40\t265\r\n\t\tOver 40\t245\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nHot Roled Hollow Sections\t43\tAll\t155\r\n"), std::string::npos);
    const std::string closing =
        "\r\nYs = Yield Stress Agreed With Manufacturer with Maximum value of 350 N/mm2";
    EXPECT_EQ(text.substr(text.size() - closing.size()), closing);
    EXPECT_EQ(text.find('\n', 0) - 1, text.find("\r\n"));
}

} // namespace
} // namespace varlen::design
