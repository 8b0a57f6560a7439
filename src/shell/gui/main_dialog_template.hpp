#pragma once

#include <array>
#include <string_view>

#include "shell/gui/dialog_units.hpp"

namespace quorel {

// The layout of the main dialog: every control with its id, label and place in dialog
// units, in tab order. The dialog is built from this table.

enum class ControlKind {
  kCheckBox,
  kCheckBoxLabelLeft,  // the label stands left of the box
  kLabel,
  kEdit,
  kCentredEdit,
  kGroupBox,           // the radio buttons that follow belong to it, up to the next group box
  kRadio,
  kPushButton,
  kListBox,            // not sorted, vertical scroll bar
};

inline constexpr int kNoId = -1;  // labels and group boxes

struct ControlTemplate {
  int id;
  ControlKind kind;
  std::string_view label;
  DialogRect rect;
  std::string_view name;  // the widget's object name
};

// The client area of the dialog.
inline constexpr DialogRect kMainDialogArea{0, 0, 269, 254};

// Control ids of the option fields and commands.
inline constexpr int kRunButton = 1000;
inline constexpr int kMessageList = 1001;

inline constexpr std::array kMainDialogControls{
    ControlTemplate{1005, ControlKind::kCheckBoxLabelLeft, "Transposes of Input Matrices", {7, 7, 118, 12}, "transposes"},
    ControlTemplate{1006, ControlKind::kCheckBox, "Compute generator products only", {7, 23, 118, 12}, "generatorProductsOnly"},
    ControlTemplate{kNoId, ControlKind::kLabel, "Maximum word length", {7, 39, 75, 12}, "maxWordLengthLabel"},
    ControlTemplate{1007, ControlKind::kCentredEdit, "", {85, 39, 40, 12}, "maxWordLength"},
    ControlTemplate{kNoId, ControlKind::kLabel, "Size of random sample", {7, 55, 75, 12}, "sampleSizeLabel"},
    ControlTemplate{1010, ControlKind::kEdit, "", {85, 55, 40, 12}, "sampleSize"},
    ControlTemplate{1018, ControlKind::kCheckBox, "Fixed matrix supplied on data file", {7, 71, 118, 12}, "fixedSupplied"},
    ControlTemplate{kNoId, ControlKind::kLabel, "MinKappa", {7, 87, 32, 12}, "minKappaLabel"},
    ControlTemplate{1019, ControlKind::kEdit, "", {85, 87, 40, 12}, "minKappa"},
    ControlTemplate{1023, ControlKind::kCheckBox, "Factorization of Omega required?", {7, 103, 118, 12}, "factorOmega"},
    ControlTemplate{1024, ControlKind::kCheckBox, "Factorization of Lower Omega?", {7, 119, 118, 12}, "factorLowerOmega"},
    ControlTemplate{1025, ControlKind::kCheckBox, "Full factorization output?", {7, 135, 118, 12}, "fullFactorOutput"},
    ControlTemplate{1026, ControlKind::kCheckBox, "Reapply to all remaining networks", {7, 151, 118, 12}, "reapply"},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Permutation strategy", {144, 7, 118, 32}, "permutationStrategy"},
    ControlTemplate{1008, ControlKind::kRadio, "Permute each pair of matrices", {150, 17, 106, 10}, "permuteEachPair"},
    ControlTemplate{1009, ControlKind::kRadio, "Permute generator matrices", {150, 27, 106, 10}, "permuteGenerators"},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Measure control", {144, 44, 118, 82}, "measureControl"},
    ControlTemplate{1011, ControlKind::kRadio, "Density", {150, 54, 106, 10}, "controlDensity"},
    ControlTemplate{1012, ControlKind::kRadio, "Directed graph structure", {150, 64, 106, 10}, "controlDirectedGraph"},
    ControlTemplate{1013, ControlKind::kRadio, "Density and outdegrees", {150, 74, 106, 10}, "controlOutdegrees"},
    ControlTemplate{1014, ControlKind::kRadio, "Mutual, asymmetric, null", {150, 84, 106, 10}, "controlDyads"},
    ControlTemplate{1015, ControlKind::kRadio, "Outdegree distribution", {150, 94, 106, 10}, "controlOutdegreeDistribution"},
    ControlTemplate{1016, ControlKind::kRadio, "Fixed matrix", {150, 104, 106, 10}, "controlFixed"},
    ControlTemplate{1017, ControlKind::kRadio, "Outdegrees with fixed matrix", {150, 114, 106, 10}, "controlFixedOutdegrees"},
    ControlTemplate{kNoId, ControlKind::kGroupBox, "Diagonal inclusion/exclusion", {144, 131, 118, 42}, "diagonal"},
    ControlTemplate{1020, ControlKind::kRadio, "Exclude for All relations", {150, 141, 106, 10}, "excludeAll"},
    ControlTemplate{1021, ControlKind::kRadio, "Exclude for Generators only", {150, 151, 106, 10}, "excludeGenerators"},
    ControlTemplate{1022, ControlKind::kRadio, "Include for All relations", {150, 161, 106, 10}, "includeAll"},
    ControlTemplate{kNoId, ControlKind::kLabel, "List of Cutoff Probabilities (0.0 ~ 1.0)", {7, 167, 118, 12}, "cutoffListLabel"},
    ControlTemplate{1033, ControlKind::kEdit, "", {7, 179, 118, 12}, "cutoffList"},
    ControlTemplate{kRunButton, ControlKind::kPushButton, "Run", {212, 179, 50, 14}, "run"},
    ControlTemplate{kMessageList, ControlKind::kListBox, "", {7, 197, 255, 50}, "messages"},
};

}  // namespace quorel
