// A screen's dialog template is registered the first time one of its objects is
// made: each constructor calls RegisterOnce<&CS0000Sx::RegisterTemplate>().
#pragma once

namespace kel::screens {

template <void (*Register)()>
void RegisterOnce() {
    static const bool registered = (Register(), true);
    (void)registered;
}

}  // namespace kel::screens
