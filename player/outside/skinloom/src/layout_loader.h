// Builds a window's widgets and elements from a layout file of the theme.
//
// The format is a small XML dialect:
//   <Window Name="..." Title="..." TitleKey="..." Width="640" Height="420">   the window itself
//     <Panel Orientation="Vertical|Horizontal" Margin="8" Spacing="6"> ... </Panel>
//     <ListCtrl Name="..."/>   <Button Name="..." Text="..." TextKey="..." Click="EventName"/>
//     <TextBlock Name="..." Text="..." TextKey="..."/>   <Spacer/>
// Every element takes Name, Width, Height (fixed sizes), Stretch (share of free space),
// Visibility (0, 1, 2) and IsEnabled ("false" disables). A TextKey's text comes from the theme's
// string resources, with Text as the default. A button raises its Click event name, by default
// its Name followed by "Click".
#pragma once

#include <memory>
#include <string>

#include "elements.h"
#include "skinloom/theme_event.h"

class QWidget;

namespace skinloom_detail {

struct Layout {
    std::unique_ptr<ElementBase> root;  // wraps the window widget; null when loading failed
    std::string title;
    int width = 0;
    int height = 0;
    std::string error;
};

// Reads the layout at `path` and fills `window` with its widgets; events go to `handler`.
Layout loadLayout(const std::string& path, QWidget* window, IThemeEventHandler* handler);

}  // namespace skinloom_detail
