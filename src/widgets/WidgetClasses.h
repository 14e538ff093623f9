// The widget library's classes in the form class registry, so that form
// descriptions can name them.
#pragma once

#ifdef _WIN32

namespace quillfen::widgets {

// Registers the framework's standard classes first; calling it again changes nothing.
void RegisterWidgetClasses();

}  // namespace quillfen::widgets

#endif
