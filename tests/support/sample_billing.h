// One complete set of billing information, for the tests of the layers that
// store, edit and use it (they link store; this header needs nothing else).
#pragma once

#include "store/billing_info.h"

namespace testsupport {

inline store::BillingInfo SampleBilling() {
    store::BillingInfo b;
    b.name = "Ann Lee";
    b.addr = "12 Main St\nDuluth, MN 55802";
    b.tel = "555-0100";
    b.cname = "Ann B. Lee";
    b.caddr = "PO Box 7\nDuluth";
    b.ctel = "555-0199";
    b.cardnum = "4111 1111 1111 1234";
    b.cardtype = store::BillingInfo::kMasterCard;
    b.carddt = "04/99";
    return b;
}

}  // namespace testsupport
