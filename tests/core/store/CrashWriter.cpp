// Saves the account over and over, each save moving it to the next numbered state, and reports
// every committed state on stdout. The crash test kills it at random moments.
#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"

#include <cstdio>

using namespace brivel;
using namespace brivel::model;

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    Error e;
    auto ctx = openAccountStore(argv[1], &e);
    if (!ctx) {
        std::fprintf(stderr, "%s\n", e.message().c_str());
        return 1;
    }
    auto* log = static_cast<Log*>(ctx->registeredObjects("Log").at(0));
    auto* trade = static_cast<Trade*>(ctx->registeredObjects("Trade").at(0));
    auto orders = trade->order();
    auto state = static_cast<long>(orders.at(0)->priceValue());
    while (true) {
        ++state;
        for (auto* o : orders)
            o->setPriceValue(static_cast<double>(state));
        auto* note = Note::insertInManagedObjectContext(ctx.get());
        note->setTimestamp(Date(static_cast<double>(state)));
        log->addNoteObject(note);
        if (!ctx->save(&e)) {
            std::fprintf(stderr, "%s\n", e.message().c_str());
            return 1;
        }
        ctx->undoManager().removeAllActions();
        std::printf("%ld\n", state);
        std::fflush(stdout);
    }
}
