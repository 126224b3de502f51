#include "PublisherPage.h"

#include "platform/Win32.h"

// One request to the shell with its default verb; the browser runs on by
// itself and whatever the shell answers is left alone.
void OpenPublisherPage() {
    Platform::ShellExecuteA(nullptr, nullptr, PublisherPageAddress, nullptr, nullptr,
                            Platform::SW_SHOWNORMAL);
}
