#pragma once

namespace cdiolog {
// libcdio writes its warnings (for example about cue sheet fields it does
// not know) to standard error; keep only its errors, as Qt warnings.
void quieten();
}
