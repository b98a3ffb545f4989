#pragma once

// One weight's change in a training step, in the order its terms are formed: the step's error
// term loses the share alpha that the previous change keeps, is weighted by the weight's input
// value, the previous change's share is added, and the sum is scaled by the negated learning
// rate. Whoever explains a step forms its terms here too, so that they are the step's own.
struct WeightChange {
    static double share(double delta, double alpha) { return delta * (1 - alpha); }
    static double fromInput(double x, double share) { return x * share; }
    static double carried(double previous, double alpha) { return previous * alpha; }
    static double sum(double fromInput, double carried) { return fromInput + carried; }
    static double change(double sum, double eta) { return sum * (-eta); }
};
