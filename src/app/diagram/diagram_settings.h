// The diagram values in the settings store (sub-key "Grafik"): the default
// display record and highlight colour of the diagram defaults, and the
// picture export options. A value that is missing, of the wrong type or of
// the wrong size keeps the built-in default.
#pragma once

#include "diagram/canvas.h"
#include "diagram/picture_options.h"
#include "model/display_record.h"

namespace vemra {

class SettingsStore;

inline constexpr const char* DiagramSettingsKey = "Grafik";

struct DiagramDefaultSettings {
    Color HLColor = 0x00FF00; // lime
    DisplayRecord Record;
};

void readDiagramDefaults(const SettingsStore& store, DiagramDefaultSettings& settings);
void writeDiagramDefaults(SettingsStore& store, const DiagramDefaultSettings& settings);
void readPictureExportOptions(const SettingsStore& store, PictureExportOptions& options);
void writePictureExportOptions(SettingsStore& store, const PictureExportOptions& options);

} // namespace vemra
