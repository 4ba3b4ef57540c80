// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

// Errors of the resource store. Each carries only its French message.
class EResourcesMaker : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// No member of the given name: "La ressource n'existe pas (name)".
class ErmResNotFound : public EResourcesMaker {
public:
    explicit ErmResNotFound(const std::string& name) : EResourcesMaker("La ressource n'existe pas (" + name + ")") {}
};

// The password does not open the store.
class ErmInvalidPassWord : public EResourcesMaker {
public:
    ErmInvalidPassWord() : EResourcesMaker("Mot de passe invalide") {}
};

// Adding a name that the store already holds, without overwrite.
class ErmResAlreadyExists : public EResourcesMaker {
public:
    ErmResAlreadyExists() : EResourcesMaker("La ressource existe déjà") {}
};

// Extracting onto an existing file, without overwrite.
class ErmFileAlreadyExists : public EResourcesMaker {
public:
    ErmFileAlreadyExists() : EResourcesMaker("Le fichier existe déjà") {}
};
