// The backend-neutral part of the application object: message processing at a bounded rate.
#include "Toolkit/Application.h"

namespace Toolkit {

void TApplication::ProcessMessagesAtInterval() {
    if (TClock::now() - FMessagesProcessed >= MessageInterval)
        ProcessMessages();
}

} // namespace Toolkit
