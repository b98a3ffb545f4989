#include "app/Dialogue.hpp"

#include <iostream>

#include "linalg/Vector.hpp"
#include "net/NeuroNet.hpp"

int runDialogue(std::istream& in, std::ostream& out, std::ostream& /*err*/) {
    Vector a(3);
    a.input(in, out);
    {
        NeuroNet NEURO(a, out);
        NEURO.BackPropagate(in);
    }
    out.flush();
    return 0;
}
