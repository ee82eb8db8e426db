// lumikor-cli render with a region view: --view X0,Y0,X1,Y1 (dots, default
// the whole bed) at --dots-per-pixel K or --pixels-per-dot M, --shade any or
// coverage. Without any of these, render draws the main canvas as before.
#pragma once

#include <ostream>

#include "cli/render_command.h"
#include "display/region_view.h"

class CJobDisplay;

void RegisterViewOptions(CLI::App* render, RenderOptions& options);

bool WantsView(const RenderOptions& options);

// Draws the view with the main canvas's options in settings (its view and
// shade are taken from options) for the model the display holds. A view
// outside its limits or too large a picture is a usage error, found before
// the job is read.
int RunRenderView(const RenderOptions& options, RegionViewSettings settings,
                  const CJobDisplay& display, std::ostream& err);
