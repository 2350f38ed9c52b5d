#include "atlas/reportDecodeOutcome.h"

#include <string>

void reportDecodeOutcome(Console& console, const DecodeOutcome& outcome) {
    if (outcome.missingBytes != 0) {
        console.line("\t\t\tWarning : " + std::to_string(outcome.missingBytes) +
                     " bytes of atlas data missing, read as zero");
    }
    if (outcome.succeeded) {
        console.line("\t\tDeCode Finish");
    } else {
        console.line("\t\tDeCode Failed : " + outcome.failureReason);
    }
}
