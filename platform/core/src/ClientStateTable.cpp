#include "core/ClientStateTable.h"

#include <iterator>

namespace kavri3D {
namespace core {

namespace {
using T = ClientStateTable;

const char* const kStates[] = {T::kLogon,        T::kCreateChar, T::kArea,    T::kPlayerHall,
                               T::kPersonalRoom, T::kBattle,     T::kTutorial};

// Every state falls back to log-on when the link is lost or the player logs out.
const T::Change kChanges[] = {
    // Log-in: a new player makes a character or plays the first lesson; a failed change
    // starts log-in over.
    {T::kLogon, T::kLogon},
    {T::kLogon, T::kCreateChar},
    {T::kLogon, T::kArea},
    {T::kLogon, T::kTutorial},
    {T::kCreateChar, T::kArea},
    {T::kCreateChar, T::kTutorial},
    {T::kCreateChar, T::kLogon},
    // The zone choice and the hall; help sends the player to a lesson from either.
    {T::kArea, T::kPlayerHall},
    {T::kArea, T::kTutorial},
    {T::kArea, T::kLogon},
    {T::kPlayerHall, T::kArea},
    {T::kPlayerHall, T::kPersonalRoom},
    {T::kPlayerHall, T::kBattle},
    {T::kPlayerHall, T::kTutorial},
    {T::kPlayerHall, T::kLogon},
    // Sent into the hall while already in it (back from a lesson started there): it is entered anew.
    {T::kPlayerHall, T::kPlayerHall},
    // A room's seats, then its battle.
    {T::kPersonalRoom, T::kPlayerHall},
    {T::kPersonalRoom, T::kBattle},
    {T::kPersonalRoom, T::kLogon},
    // Back from a battle: to its room, the hall or the zone choice.
    {T::kBattle, T::kPersonalRoom},
    {T::kBattle, T::kPlayerHall},
    {T::kBattle, T::kArea},
    {T::kBattle, T::kLogon},
    // Back from a lesson to where it was asked for.
    {T::kTutorial, T::kArea},
    {T::kTutorial, T::kPlayerHall},
    {T::kTutorial, T::kPersonalRoom},
    {T::kTutorial, T::kLogon},
};
} // namespace

const char* const* ClientStateTable::states(std::size_t& count)
{
    count = std::size(kStates);
    return kStates;
}

const ClientStateTable::Change* ClientStateTable::changes(std::size_t& count)
{
    count = std::size(kChanges);
    return kChanges;
}

bool ClientStateTable::isState(const std::string& name)
{
    for (const char* state : kStates)
        if (name == state)
            return true;
    return false;
}

bool ClientStateTable::isLegal(const std::string& from, const std::string& to)
{
    if (from.empty() || !isState(from) || !isState(to))
        return true;
    for (const Change& c : kChanges)
        if (from == c.from && to == c.to)
            return true;
    return false;
}

} // namespace core
} // namespace kavri3D
