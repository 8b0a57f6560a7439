#pragma once

#include <QSettings>
#include <QStringList>

#include "core/analysis_options.hpp"
#include "shell/gui/analysis_runner.hpp"

namespace quorel {

// What the window remembers between sessions, in the user's settings: the analysis options
// as last run or left, the outputs asked for, the recent data files and the folder of the
// last one. Values that do not read back as what they should be are left at their defaults.
void SaveOptions(QSettings& settings, const AnalysisOptions& options, const RunOutputs& outputs);
void LoadOptions(QSettings& settings, AnalysisOptions& options, RunOutputs& outputs);

QStringList LoadRecentFiles(QSettings& settings);
void SaveRecentFiles(QSettings& settings, const QStringList& files);

}  // namespace quorel
