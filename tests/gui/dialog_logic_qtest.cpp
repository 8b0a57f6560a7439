// The parts of the desktop dialog that need no window: number fields, dialog units, the
// layout table, the exchange between controls and members, the run's phase, the line tee.
#include <QtTest>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "core/analysis_options.hpp"
#include "shell/gui/dialog_exchange.hpp"
#include "shell/gui/dialog_units.hpp"
#include "shell/gui/line_tee.hpp"
#include "shell/gui/main_dialog_template.hpp"
#include "shell/gui/number_fields.hpp"
#include "shell/gui/run_phase.hpp"

using namespace quorel;

namespace QTest {
template <>
char* toString(const std::string& text) {
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return qstrdup(quoted.c_str());
}
}  // namespace QTest

class DialogLogicTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void wholeNumberFields_data();
  void wholeNumberFields();
  void decimalNumberFields_data();
  void decimalNumberFields();
  void fieldsShowMembersInTheirShortestForm();


  void exchangeRoundTripsEveryMember();
  void badNumberEndsTheExchange_data();
  void badNumberEndsTheExchange();
  void failureMessageNamesFieldTextAndWhatIsKept();

  void phaseFollowsTheRun();
  void teePassesTextOnAndHandsOverLines();
};

// --- Number fields --------------------------------------------------------------------

void DialogLogicTest::wholeNumberFields_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::addColumn<int>("value");
  QTest::newRow("plain") << "1000" << true << 1000;
  QTest::newRow("blanks and tabs around") << " \t12 \t" << true << 12;
  QTest::newRow("plus sign") << "+7" << true << 7;
  QTest::newRow("minus sign") << "-3" << true << -3;
  QTest::newRow("largest") << "2147483647" << true << 2147483647;
  QTest::newRow("smallest") << "-2147483648" << true << std::numeric_limits<int>::min();
  QTest::newRow("beyond 32 bits") << "2147483648" << false << 0;
  QTest::newRow("empty") << "" << false << 0;
  QTest::newRow("letter O for zero") << "1O00" << false << 0;
  QTest::newRow("trailing letters") << "12a" << false << 0;
  QTest::newRow("decimal") << "1.5" << false << 0;
  QTest::newRow("exponent") << "1e3" << false << 0;
  QTest::newRow("hexadecimal") << "0x10" << false << 0;
}

void DialogLogicTest::wholeNumberFields() {
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QFETCH(int, value);
  const std::optional<std::int32_t> parsed = ParseIntegerField(text.toStdString());
  QCOMPARE(parsed.has_value(), valid);
  if (valid) QCOMPARE(*parsed, value);
}

void DialogLogicTest::decimalNumberFields_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::addColumn<float>("value");
  QTest::newRow("default MinKappa") << "0.01" << true << 0.01f;
  QTest::newRow("leading point") << ".5" << true << 0.5f;
  QTest::newRow("trailing point") << "5." << true << 5.0f;
  QTest::newRow("exponent") << "1e-3" << true << 0.001f;
  QTest::newRow("signs and blanks") << " -0.25 " << true << -0.25f;
  QTest::newRow("empty") << "" << false << 0.0f;
  QTest::newRow("decimal comma") << "0,5" << false << 0.0f;
  QTest::newRow("infinity") << "inf" << false << 0.0f;
  QTest::newRow("not a number") << "nan" << false << 0.0f;
  QTest::newRow("hexadecimal float") << "0x1p3" << false << 0.0f;
  QTest::newRow("beyond a float") << "1e39" << false << 0.0f;
}

void DialogLogicTest::decimalNumberFields() {
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QFETCH(float, value);
  const std::optional<float> parsed = ParseFloatField(text.toStdString());
  QCOMPARE(parsed.has_value(), valid);
  if (valid) QCOMPARE(*parsed, value);
}

void DialogLogicTest::fieldsShowMembersInTheirShortestForm() {
  QCOMPARE(FormatFloatField(0.01f), std::string("0.01"));
  QCOMPARE(FormatFloatField(1000.0f), std::string("1000"));
  QCOMPARE(FormatFloatField(1e-7f), std::string("1e-07"));
  QCOMPARE(FormatFloatField(1.0f / 3.0f), std::string("0.333333"));
  // What the fields show of a member reads back as the same member.
  for (float value : {0.01f, 0.05f, 0.1f, 0.25f, 1.0f, 2.5e-3f}) QCOMPARE(*ParseFloatField(FormatFloatField(value)), value);
}

// --- Dialog units and the layout ----------------------------------------------------------

// --- Exchange ---------------------------------------------------------------------------------

namespace {

// Every member away from its default.
AnalysisOptions Unusual() {
  return AnalysisOptions{.m_Transposes = 1, .m_GeneratorProductsOnly = 1, .m_MaxWordLength = 4,
                         .m_PermutationStrategy = 0, .m_MeasureControl = 6, .m_SampleSize = 250,
                         .m_FixedSupplied = 1, .m_MinKappa = 0.2f, .m_Diagonal = 2, .m_FactorOmega = 1,
                         .m_FactorLowerOmega = 1, .m_FullFactorOutput = 1, .m_Reapply = 1,
                         .m_CutoffList = "0.05, 0.01"};
}

// The members as a list in the order of exchange, for comparisons.
std::vector<std::string> Listed(const AnalysisOptions& m) {
  return {std::to_string(m.m_Transposes),      std::to_string(m.m_GeneratorProductsOnly),
          std::to_string(m.m_MaxWordLength),   std::to_string(m.m_PermutationStrategy),
          std::to_string(m.m_MeasureControl),  std::to_string(m.m_SampleSize),
          std::to_string(m.m_FixedSupplied),   FormatFloatField(m.m_MinKappa),
          std::to_string(m.m_Diagonal),        std::to_string(m.m_FactorOmega),
          std::to_string(m.m_FactorLowerOmega), std::to_string(m.m_FullFactorOutput),
          std::to_string(m.m_Reapply),         m.m_CutoffList};
}

}  // namespace

void DialogLogicTest::exchangeRoundTripsEveryMember() {
  const AnalysisOptions unusual = Unusual();
  AnalysisOptions members;
  QVERIFY(!MembersFromControls(ControlsFromMembers(unusual), members).has_value());
  QCOMPARE(Listed(members), Listed(unusual));
}

void DialogLogicTest::badNumberEndsTheExchange_data() {
  QTest::addColumn<int>("field");  // 0 word length, 1 sample size, 2 MinKappa
  QTest::addColumn<int>("copied");  // members taken from the controls, in the order of exchange
  QTest::addColumn<int>("control");
  QTest::newRow("Maximum word length") << 0 << 2 << 1007;
  QTest::newRow("Size of random sample") << 1 << 5 << 1010;
  QTest::newRow("MinKappa") << 2 << 7 << 1019;
}

void DialogLogicTest::badNumberEndsTheExchange() {
  QFETCH(int, field);
  QFETCH(int, copied);
  QFETCH(int, control);
  DialogControls controls = ControlsFromMembers(Unusual());
  std::string* fields[] = {&controls.max_word_length, &controls.sample_size, &controls.min_kappa};
  *fields[field] = std::string(1, 'x');  // not a number of any kind
  AnalysisOptions members;
  const std::optional<ExchangeFailure> failure = MembersFromControls(controls, members);
  QVERIFY(failure.has_value());
  QCOMPARE(failure->control, control);
  const std::vector<std::string> got = Listed(members), unusual = Listed(Unusual()), defaults = Listed(AnalysisOptions{});
  for (int k = 0; k < static_cast<int>(got.size()); ++k) QCOMPARE(got[k], k < copied ? unusual[k] : defaults[k]);
}

void DialogLogicTest::failureMessageNamesFieldTextAndWhatIsKept() {
  DialogControls controls = ControlsFromMembers(AnalysisOptions{});
  controls.sample_size = "1O00";
  AnalysisOptions members;
  QCOMPARE(DescribeExchangeFailure(*MembersFromControls(controls, members)),
           std::string("Size of random sample: \"1O00\" is not a whole number.\n"
                       "The run goes on with 1000 for it, and these settings keep the values they had before: "
                       "MinKappa, Diagonal inclusion/exclusion and List of Cutoff Probabilities."));
  controls = ControlsFromMembers(AnalysisOptions{});
  controls.min_kappa = "0,05";
  QVERIFY(DescribeExchangeFailure(*MembersFromControls(controls, members)).starts_with("MinKappa: \"0,05\" is not a number.\nThe run goes on with 0.01"));
}

// --- Phase of a run -------------------------------------------------------------------------------

void DialogLogicTest::phaseFollowsTheRun() {
  RunPhase phase("samples");
  QCOMPARE(phase.Text(), std::string("starting"));
  QCOMPARE(phase.SamplingShare(), -1.0);
  phase.StepStarted(Step::kReading);
  QCOMPARE(phase.Text(), std::string("reading"));
  phase.ProblemStarted(2, "Bank wiring room");
  phase.StepStarted(Step::kSemigroup);
  QCOMPARE(phase.Text(), std::string("Problem 2, 'Bank wiring room': semigroup and partial order"));
  phase.StepStarted(Step::kStatistics);
  QCOMPARE(phase.Text(), std::string("Problem 2, 'Bank wiring room': measures of association"));
  phase.Sampling(250, 1000);
  QCOMPARE(phase.Text(), std::string("Problem 2, 'Bank wiring room': sampling, 250 of 1000 samples"));
  QCOMPARE(phase.SamplingShare(), 0.25);
  phase.SamplingOver();
  QCOMPARE(phase.SamplingShare(), -1.0);
  phase.CutoffLevelStarted(0.05f);
  phase.StepStarted(Step::kOmega);
  QCOMPARE(phase.Text(), std::string("Problem 2, 'Bank wiring room': Omega for alpha 0.050"));
  phase.Sampling(0, 0);
  QCOMPARE(phase.SamplingShare(), 1.0);
  // A long label is cut short, to leave room for the step, and never inside a character:
  // here an e acute would straddle the cut.
  phase.ProblemStarted(3, "Sampson monastery: like/dislike, esteem/disesteem");
  phase.StepStarted(Step::kStatistics);
  QCOMPARE(phase.Text(), std::string("Problem 3, 'Sampson monastery: like/dislike,...': measures of association"));
  phase.ProblemStarted(3, std::string(31, 'a') + "\xC3\xA9 and more");
  QCOMPARE(phase.Text(), "Problem 3, '" + std::string(31, 'a') + "...': measures of association");
}

// --- Line tee -----------------------------------------------------------------------------------

void DialogLogicTest::teePassesTextOnAndHandsOverLines() {
  std::FILE* target = std::tmpfile();
  QVERIFY(target != nullptr);
  std::vector<std::string> lines;
  {
    LineTee tee(target, [&lines](std::string_view line) { lines.emplace_back(line); });
    std::fprintf(tee.File(), "\nPROBLEM SPECIFICATION #%d :\n", 1);
    std::fputs("QUOREL pro", tee.File());
    std::fputs("cessing 'x'.....\n\tConstructing", tee.File());
    std::fprintf(tee.File(), " Omega for alpha(%4.3f)...", 0.05);
  }  // the last line has no line feed; closing hands it over
  std::rewind(target);
  std::string passed(4096, '\0');
  passed.resize(std::fread(passed.data(), 1, passed.size(), target));
  std::fclose(target);
  QCOMPARE(passed, std::string("\nPROBLEM SPECIFICATION #1 :\nQUOREL processing 'x'.....\n\tConstructing Omega for alpha(0.050)..."));
#if defined(__GLIBC__)
  std::string handed;
  for (const std::string& line : lines) handed += "[" + line + "]";
  QCOMPARE(handed, std::string("[][PROBLEM SPECIFICATION #1 :][QUOREL processing 'x'.....][\tConstructing Omega for alpha(0.050)...]"));
#endif
}

QTEST_APPLESS_MAIN(DialogLogicTest)
#include "dialog_logic_qtest.moc"
