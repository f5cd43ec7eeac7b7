#include "engine/front_end.h"

namespace engine {

RunControl& TheRunControl()
{
    // Static storage: the flags outlive every run and need no set-up.
    static RunControl control;
    return control;
}

}  // namespace engine
