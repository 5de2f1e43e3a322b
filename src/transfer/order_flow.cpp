#include "transfer/order_flow.h"

namespace transfer {
namespace {
OrderFlow* gFlow = nullptr;
}  // namespace

OrderFlow* CurrentOrderFlow() { return gFlow; }

OrderFlow* SetOrderFlow(OrderFlow* flow) {
    OrderFlow* old = gFlow;
    gFlow = flow;
    return old;
}

}  // namespace transfer
