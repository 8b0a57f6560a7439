#include "shell/gui/gui_settings.hpp"

#include <QFile>
#include <utility>

namespace quorel {

namespace {

// The whole-number options under their keys.
const std::pair<const char*, std::int32_t AnalysisOptions::*> kWholeOptions[] = {
    {"transposes", &AnalysisOptions::m_Transposes},
    {"generatorProductsOnly", &AnalysisOptions::m_GeneratorProductsOnly},
    {"maxWordLength", &AnalysisOptions::m_MaxWordLength},
    {"permutationStrategy", &AnalysisOptions::m_PermutationStrategy},
    {"measureControl", &AnalysisOptions::m_MeasureControl},
    {"sampleSize", &AnalysisOptions::m_SampleSize},
    {"fixedSupplied", &AnalysisOptions::m_FixedSupplied},
    {"diagonal", &AnalysisOptions::m_Diagonal},
    {"factorOmega", &AnalysisOptions::m_FactorOmega},
    {"factorLowerOmega", &AnalysisOptions::m_FactorLowerOmega},
    {"fullFactorOutput", &AnalysisOptions::m_FullFactorOutput},
    {"reapply", &AnalysisOptions::m_Reapply},
};

QString Key(const char* name) { return QStringLiteral("options/") + QLatin1String(name); }

}  // namespace

void SaveOptions(QSettings& settings, const AnalysisOptions& options, const RunOutputs& outputs) {
  for (const auto& [name, member] : kWholeOptions) settings.setValue(Key(name), options.*member);
  settings.setValue(Key("minKappa"), static_cast<double>(options.m_MinKappa));
  settings.setValue(Key("cutoffs"), QString::fromStdString(options.m_CutoffList));
  settings.setValue(Key("nonDirectional"), QString::fromStdString(options.NonDirectional));
  settings.setValue(Key("seed"), QString::number(options.Seed));
  settings.setValue(Key("threads"), options.Threads);
  settings.setValue(Key("json"), QFile::decodeName(outputs.json_path.c_str()));
  settings.setValue(Key("tables"), QFile::decodeName(outputs.tables_dir.c_str()));
  settings.setValue(Key("diagrams"), QFile::decodeName(outputs.diagrams_dir.c_str()));
}

void LoadOptions(QSettings& settings, AnalysisOptions& options, RunOutputs& outputs) {
  bool ok = false;
  for (const auto& [name, member] : kWholeOptions) {
    const int value = settings.value(Key(name)).toInt(&ok);
    if (ok) options.*member = value;
  }
  const double min_kappa = settings.value(Key("minKappa")).toDouble(&ok);
  if (ok) options.m_MinKappa = static_cast<float>(min_kappa);
  if (settings.contains(Key("cutoffs"))) options.m_CutoffList = settings.value(Key("cutoffs")).toString().toStdString();
  options.NonDirectional = settings.value(Key("nonDirectional")).toString().toStdString();
  const qulonglong seed = settings.value(Key("seed")).toString().toULongLong(&ok);
  if (ok) options.Seed = seed;
  const int threads = settings.value(Key("threads")).toInt(&ok);
  if (ok && threads >= 0) options.Threads = threads;
  outputs.json_path = QFile::encodeName(settings.value(Key("json")).toString()).toStdString();
  outputs.tables_dir = QFile::encodeName(settings.value(Key("tables")).toString()).toStdString();
  outputs.diagrams_dir = QFile::encodeName(settings.value(Key("diagrams")).toString()).toStdString();
}

QStringList LoadRecentFiles(QSettings& settings) { return settings.value(QStringLiteral("files/recent")).toStringList(); }

void SaveRecentFiles(QSettings& settings, const QStringList& files) {
  settings.setValue(QStringLiteral("files/recent"), files);
}

}  // namespace quorel
