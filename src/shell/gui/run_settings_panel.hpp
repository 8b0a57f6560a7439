#pragma once

#include <QGroupBox>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/analysis_options.hpp"
#include "shell/gui/analysis_runner.hpp"

class QLineEdit;
class QSpinBox;
class QToolButton;

namespace quorel {

// What a run reads and writes beyond the analysis options: the data file, the report (by
// default beside the data file, named after it), the non-directional relations of a DL,
// CSV, Pajek or GraphML input, the seed of the random stream, the workers of the sampling,
// and the JSON document, tables folder and diagrams folder, each written only when named.
class RunSettingsPanel : public QGroupBox {
  Q_OBJECT

 public:
  explicit RunSettingsPanel(QWidget* parent = nullptr);

  // A new data file; the report follows it unless the user has chosen a report.
  void SetDataFile(const QString& path);
  QString DataFile() const;
  void SetReportFile(const QString& path);  // the user's choice
  QString ReportFile() const;

  // Why a run cannot start with these settings (empty: it can).
  QString Problem() const;

  // Into the options and outputs of a run.
  void Apply(AnalysisOptions& options, RunOutputs& outputs) const;
  // From saved options and outputs (the data and report files are set apart).
  void Show(const AnalysisOptions& options, const RunOutputs& outputs);

  // The buttons that ask for files, for the window's menu.
  void ChooseDataFile();
  void ChooseReportFile();

  // The folder the file dialogs open in first.
  void SetStartFolder(const QString& folder) { start_folder_ = folder; }

 Q_SIGNALS:
  void changed();
  void dataFileChosen(const QString& path);

 private:
  QLineEdit* AddPathRow(const QString& label, const QString& name, const QString& placeholder,
                        const std::function<void()>& choose);
  QString StartFolder() const;

  QLineEdit* data_ = nullptr;
  QLineEdit* report_ = nullptr;
  QLineEdit* non_directional_ = nullptr;
  QLineEdit* seed_ = nullptr;
  QSpinBox* threads_ = nullptr;
  QLineEdit* json_ = nullptr;
  QLineEdit* tables_ = nullptr;
  QLineEdit* diagrams_ = nullptr;
  bool report_chosen_ = false;
  QString start_folder_;
};

// The report beside a data file: its name with ".out" for its suffix (".out" added when
// that is its suffix already).
QString DefaultReportPath(const QString& data_path);

// A seed as the user typed it: a whole number from 0 to 2^64 - 1 (blanks around allowed).
std::optional<std::uint64_t> ParseSeed(const QString& text);

// The file dialog's filter of every readable format.
QString DataFileFilter();

}  // namespace quorel
