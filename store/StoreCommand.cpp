#include "store/StoreCommand.h"

#include "store/ResourcesMaker.h"

#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <string_view>

namespace {

using TArguments = std::vector<std::string>;

struct TStoreVerb {
    std::string_view name;
    std::string_view usage;
    std::size_t minArguments; // after the verb, the archive included
    std::size_t maxArguments;
    TStoreAccess access;
    std::function<void(TResourcesMaker&, const TArguments&, std::ostream&)> run;
};

void List(TResourcesMaker& store, const TArguments&, std::ostream& out) {
    for (int i = 0; i < store.Count(); ++i) {
        const THeadExtraInfos infos = store.GetExtraInfos(i);
        out << store.ResourceName(i) << '\t' << store.RealSize(i) << '\t' << store.PackedSize(i) << '\t'
            << infos.RatioText << '\t' << infos.AttributeText << '\n';
    }
}

void Create(TResourcesMaker&, const TArguments&, std::ostream&) {}

void Add(TResourcesMaker& store, const TArguments& args, std::ostream&) {
    store.AddResource(args[2], args.size() > 3 ? args[3] : std::string(), true);
}

void Extract(TResourcesMaker& store, const TArguments& args, std::ostream&) {
    store.ExtractResource(args[3], args[2], true, epFileNameOnly);
}

void Delete(TResourcesMaker& store, const TArguments& args, std::ostream&) {
    store.DeleteResource(args[2]);
}

const std::array<TStoreVerb, 5> Verbs{{
    {"create", "create ARCHIVE", 1, 1, TStoreAccess::ReadWrite, Create},
    {"list", "list ARCHIVE", 1, 1, TStoreAccess::ReadOnly, List},
    {"add", "add ARCHIVE FILE [NAME]", 2, 3, TStoreAccess::ReadWrite, Add},
    {"extract", "extract ARCHIVE NAME FOLDER", 3, 3, TStoreAccess::ReadOnly, Extract},
    {"delete", "delete ARCHIVE NAME", 2, 2, TStoreAccess::ReadWrite, Delete},
}};

int Usage(std::ostream& err) {
    err << "usage:\n";
    for (const TStoreVerb& verb : Verbs)
        err << "  quendry store " << verb.usage << '\n';
    return 2;
}

} // namespace

int RunStoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty())
        return Usage(err);
    const auto verb = std::find_if(Verbs.begin(), Verbs.end(), [&](const TStoreVerb& v) { return v.name == args[0]; });
    if (verb == Verbs.end() || args.size() - 1 < verb->minArguments || args.size() - 1 > verb->maxArguments)
        return Usage(err);
    try {
        TResourcesMaker store(args[1], "", verb->access);
        verb->run(store, args, out);
    } catch (const std::exception& error) {
        err << error.what() << '\n';
        return 1;
    }
    return 0;
}
