// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/StoreCommand.h"

#include "store/ResourcesMaker.h"

#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <string_view>

void StoreCreate(const std::string& archive) {
    TResourcesMaker store(archive, "", TStoreAccess::ReadWrite);
}

void StoreList(const std::string& archive, std::ostream& out) {
    TResourcesMaker store(archive, "", TStoreAccess::ReadOnly);
    for (int i = 0; i < store.Count(); ++i) {
        const THeadExtraInfos infos = store.GetExtraInfos(i);
        out << store.ResourceName(i) << '\t' << store.RealSize(i) << '\t' << store.PackedSize(i) << '\t'
            << infos.RatioText << '\t' << infos.AttributeText << '\n';
    }
}

void StoreAdd(const std::string& archive, const std::string& file, const std::string& name) {
    TResourcesMaker store(archive, "", TStoreAccess::ReadWrite);
    store.AddResource(file, name, true);
}

void StoreExtract(const std::string& archive, const std::string& name, const std::string& folder) {
    TResourcesMaker store(archive, "", TStoreAccess::ReadOnly);
    store.ExtractResource(folder, name, true, epFileNameOnly);
}

void StoreDelete(const std::string& archive, const std::string& name) {
    TResourcesMaker store(archive, "", TStoreAccess::ReadWrite);
    store.DeleteResource(name);
}

namespace {

using TArguments = std::vector<std::string>;

// A verb of the store tool: its usage and how many words it takes after the verb, the archive included.
struct TStoreVerb {
    std::string_view name;
    std::string_view usage;
    std::size_t minArguments;
    std::size_t maxArguments;
    std::function<void(const TArguments&, std::ostream&)> run;
};

const std::array<TStoreVerb, 5> Verbs{{
    {"create", "create ARCHIVE", 1, 1, [](const TArguments& args, std::ostream&) { StoreCreate(args[1]); }},
    {"list", "list ARCHIVE", 1, 1, [](const TArguments& args, std::ostream& out) { StoreList(args[1], out); }},
    {"add", "add ARCHIVE FILE [NAME]", 2, 3,
     [](const TArguments& args, std::ostream&) { StoreAdd(args[1], args[2], args.size() > 3 ? args[3] : ""); }},
    {"extract", "extract ARCHIVE NAME FOLDER", 3, 3,
     [](const TArguments& args, std::ostream&) { StoreExtract(args[1], args[2], args[3]); }},
    {"delete", "delete ARCHIVE NAME", 2, 2,
     [](const TArguments& args, std::ostream&) { StoreDelete(args[1], args[2]); }},
}};

int Usage(std::ostream& err) {
    err << "usage:\n";
    for (const TStoreVerb& verb : Verbs)
        err << "  quendry_store_tool " << verb.usage << '\n';
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
        verb->run(args, out);
    } catch (const std::exception& error) {
        err << error.what() << '\n';
        return 1;
    }
    return 0;
}
