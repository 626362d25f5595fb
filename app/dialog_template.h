// The controls of a dialog template resource (DLGTEMPLATEEX, or the older
// DLGTEMPLATE) with their rectangles in dialog units, read with bounds checks from
// the resource's bytes.
#pragma once

#include <cstddef>
#include <vector>

struct TemplateControl {
  int id = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class TemplateParse {
  kOk,
  kTruncated,  // a header, string or item runs past the end of the resource
};

// Appends every control of the template to controls, in template order.
TemplateParse ParseDialogTemplate(const unsigned char* data, size_t size, std::vector<TemplateControl>* controls);

// A rectangle in client pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The wizard's painted layout (its frames, the panel's edges, the buttons) is drawn
// for 1.5 pixels a dialog unit, both ways, whatever the dialog font: a template
// rectangle at that scale, its edges rounded half up. Neighbouring controls stay
// neighbours because both edges are scaled, not the width.
PixelRect ScaleToWizardPixels(const TemplateControl& control);
