#pragma once

#include <cstdint>
#include <optional>

#include "ReaderSequences.h"

class TParameterPanel;

// Between the parameter panel's controls and the values the reader operations and the
// parameters file take and give.

// The address of the reader chosen in cbReader; nothing without a choice.
std::optional<std::uint8_t> SelectedReader(const TParameterPanel& panel);

// What the panel holds for a write.
TWriteValues PanelValues(const TParameterPanel& panel);

// One value of a read on its control (a black-list row by its index, row -1 the whole list);
// spin controls clamp it to their range.
void ShowReadValue(TParameterPanel& panel, const TReaderParameters& values, TParameter parameter, int row);

// The panel's values as a read would have given them, for the parameters file.
TReaderParameters PanelParameters(const TParameterPanel& panel);

// The values of a parameters file on the panel: only those it plans (the fields it names, of
// those its mode writes); the other controls keep theirs. A clock planned as today shows today's
// date.
void ShowFileValues(TParameterPanel& panel, const TWriteValues& file);
