#pragma once

#include <cstdint>
#include <string>

#include "state/progress.h"
#include "state/selection.h"

class TWave;

// The first-order linear filters: in-place recursions over the selected frames of the checked
// channels, y(n) = C0·x(n) + C1·x(n−1) + D1·y(n−1). Each recursion runs on the stored output of
// the frame before, so a rounded 8-bit output feeds back as it was stored. The first selected
// frame is never changed.

enum class FilterKind : uint8_t { LowPass = 0, HighPass = 1, Custom = 2 };

struct FilterCoefficients {
  double C0 = 1.0;
  double C1 = 0.0;
  double D1 = 0.0;
};

// The RC filter of a cut-off at `sampleRate`: half amplitude (−6 dB) at the cut-off, worked out
// in extended precision. A cut-off of 0 has no time constant: "Floating point division by zero".
FilterCoefficients RCCoefficients(FilterKind kind, int32_t cutOff, uint32_t sampleRate);

// The filter of `kind`: the RC filters derive their coefficients from `cutOff`, the custom one takes
// c0, c1 and d1 as they are. The gauge shows (i − SelStart − 1) / (SelEnd − SelStart − 1) at every
// hundredth frame i.
void FirstOrderFilter(TWave& wave, const Selection& sel, Progress& progress, FilterKind kind, int32_t cutOff,
                      double c0, double c1, double d1);

// The RC filter command with the cut-off as typed: an integer (CommandError otherwise) from 0 to
// half the sample rate (InputRefused "Error. Aborting operation." otherwise).
void RCFilterCommand(TWave& wave, const Selection& sel, Progress& progress, FilterKind kind,
                     const std::string& cutOffText);

// The three coefficients of the custom filter as the user typed them, which is also what the IIR
// parameter file holds. They start as the filter that changes nothing.
struct IIRTexts {
  std::string C0 = "1";
  std::string C1 = "0";
  std::string D1 = "0";
};

// The custom filter command: all three texts read as numbers first (CommandError, nothing
// changed, when one is not: "'TEXT' is not a valid floating point value (c1)", and when the texts
// came from the IIR file `origin`, "(c1, line 2 of <origin>)"), then the filter.
void CustomIIRCommand(TWave& wave, const Selection& sel, Progress& progress, const IIRTexts& texts,
                      const std::string& origin = {});

// The wall's mass per area in kg/m² from its thickness in centimetres and its density in kg/m³, as
// typed: CommandError when either is not a number, InputRefused "Error, negative mass." when the
// mass is negative.
double WallMass(const std::string& thicknessCmText, const std::string& densityText);

// Sound through a wall of `mass` kg/m²: dy/dt = (830 / mass)·(x − y) stepped forward once per
// frame, so y(n) = a·y(n−1) + k·x(n−1) with k = 830 / (rate·mass), a = 1 − k, and the first
// selected frame unchanged. A mass of 0 fails with "Floating point division by zero" before any
// sample changes. The gauge shows (i − SelStart) / (SelEnd − SelStart) at every hundredth step i.
void ApplyWallFilter(TWave& wave, const Selection& sel, Progress& progress, double mass);
