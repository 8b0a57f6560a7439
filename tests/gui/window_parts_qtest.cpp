// The small rules of the window, case by case: the time left, the recent files, the seed
// and the report's default place.
#include <QtTest>

#include "shell/gui/recent_files.hpp"
#include "shell/gui/run_settings_panel.hpp"
#include "shell/gui/time_left.hpp"

using namespace quorel;

class WindowPartsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void secondsLeft_data();
  void secondsLeft();
  void timeLeftText();
  void recentFilesNewestFirst();
  void seed_data();
  void seed();
  void reportBesideTheDataFile();
};

void WindowPartsTest::secondsLeft_data() {
  QTest::addColumn<qint64>("done");
  QTest::addColumn<qint64>("total");
  QTest::addColumn<double>("elapsed");
  QTest::addColumn<double>("left");  // -1: no guess
  QTest::newRow("a quarter in 10 s") << qint64(250) << qint64(1000) << 10.0 << 30.0;
  QTest::newRow("all done") << qint64(1000) << qint64(1000) << 12.0 << 0.0;
  QTest::newRow("nothing done yet") << qint64(0) << qint64(1000) << 5.0 << -1.0;
  QTest::newRow("too soon to tell") << qint64(500) << qint64(1000) << 0.2 << -1.0;
  QTest::newRow("too little done") << qint64(9) << qint64(1000) << 3.0 << -1.0;
  QTest::newRow("no total") << qint64(5) << qint64(0) << 3.0 << -1.0;
  QTest::newRow("more than the total") << qint64(1001) << qint64(1000) << 3.0 << -1.0;
}

void WindowPartsTest::secondsLeft() {
  QFETCH(qint64, done);
  QFETCH(qint64, total);
  QFETCH(double, elapsed);
  QFETCH(double, left);
  const std::optional<double> guess = SecondsLeft(done, total, elapsed);
  QCOMPARE(guess.has_value(), left >= 0);
  if (guess) QCOMPARE(*guess, left);
}

void WindowPartsTest::timeLeftText() {
  const QList<std::pair<double, QString>> cases{{0.4, "less than a second left"},
                                                {44.2, "about 45 s left"},  // rounded up
                                                {200.0, "about 3 min 20 s left"},
                                                {59.5, "about 1 min 0 s left"},  // a whole minute
                                                {3725.0, "about 1 h 2 min left"}};
  for (const auto& [seconds, text] : cases) QCOMPARE(QString::fromStdString(DescribeTimeLeft(seconds)), text);
}

void WindowPartsTest::recentFilesNewestFirst() {
  QStringList recent;
  for (const char* name : {"/a.dat", "/b.dat", "/c.dat"}) recent = WithRecentFile(recent, QString::fromUtf8(name));
  QCOMPARE(recent, (QStringList{"/c.dat", "/b.dat", "/a.dat"}));
  recent = WithRecentFile(recent, QStringLiteral("/a.dat"));  // opened again: to the front, once
  QCOMPARE(recent, (QStringList{"/a.dat", "/c.dat", "/b.dat"}));
  recent = WithRecentFile(recent, QStringLiteral("/d.dat"), 3);
  QCOMPARE(recent, (QStringList{"/d.dat", "/a.dat", "/c.dat"}));
  QVERIFY(QFileInfo(WithRecentFile({}, QStringLiteral("x.dat")).first()).isAbsolute());
}

void WindowPartsTest::seed_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::addColumn<quint64>("value");
  QTest::newRow("zero") << "0" << true << quint64(0);
  QTest::newRow("blanks around") << " 42 " << true << quint64(42);
  QTest::newRow("largest") << "18446744073709551615" << true << quint64(18446744073709551615ull);
  QTest::newRow("one past the largest") << "18446744073709551616" << false << quint64(0);
  QTest::newRow("negative") << "-1" << false << quint64(0);
  QTest::newRow("plus sign") << "+1" << false << quint64(0);
  QTest::newRow("exponent") << "1e3" << false << quint64(0);
  QTest::newRow("letter o for zero") << "1O" << false << quint64(0);
  QTest::newRow("empty") << "" << false << quint64(0);
}

void WindowPartsTest::seed() {
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QFETCH(quint64, value);
  const std::optional<std::uint64_t> seed = ParseSeed(text);
  QCOMPARE(seed.has_value(), valid);
  if (seed) QCOMPARE(quint64(*seed), value);
}

void WindowPartsTest::reportBesideTheDataFile() {
  const QList<std::pair<QString, QString>> cases{{"/work/nets/padgett.dat", "/work/nets/padgett.out"},
                                                 {"/n/krack.hightech.graphml", "/n/krack.hightech.out"},  // dots
                                                 {"/n/Quorel", "/n/Quorel.out"},  // no suffix
                                                 {"/n/odd.out", "/n/odd.out.out"}};  // named like a report
  for (const auto& [data, report] : cases) QCOMPARE(DefaultReportPath(data), report);
}

QTEST_MAIN(WindowPartsTest)
#include "window_parts_qtest.moc"
