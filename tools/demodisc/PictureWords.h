#pragma once
// The words drawn on the menu, sign-in and certificate pictures (UTF-8).
// The defaults are the demo disc's French words; a disc in another language
// passes its own.
#include <string>

namespace demodisc {

struct TPictureWords {
    // Start menu.
    std::string Tagline = "Un petit film pour apprendre le français";
    std::string StartLinks = "Lisez-moi      Internet      Licence"; // under the three small buttons
    std::string Footer = "Tavolin – démo libre";
    // Sign-in panel.
    std::string WhoAreYou = "Qui êtes-vous ?";
    std::string Visit = "Visite :";
    std::string Score = "Score :";
    std::string Sessions = "Séances :";
    // Main menu.
    std::string Activities = "Activités"; // also the activities menu's title
    std::string Film = "Le film";
    std::string Quiz = "Le quiz";
    std::string Studio = "Le studio";
    std::string Dictionary = "Le dictionnaire";
    std::string WordSearch = "Chercher un mot";
    // Activities menu.
    std::string Practice = "Pratique %";
    std::string Test = "Test";
    std::string Vocabulary = "Vocabulaire";
    std::string MissingWord = "Mot manquant";
    std::string NextLine = "Réplique suivante";
    std::string Spelling = "Orthographe";
    std::string Total = "Total";
    // Certificate.
    std::string Certificate = "Certificat";
    std::string OfLanguage = "de français";
    std::string Signature = "L'équipe Tavolin";
    std::string Awards = "est fier de décerner à"; // above the learner's name
    std::string ThePrize = "le prix";              // below it, above the medal's name
    std::string Bronze = "Bronze";
    std::string Silver = "Argent";
    std::string Gold = "Or";
    // Studio.
    std::string ChooseActor = "Choisissez un personnage";
};

} // namespace demodisc
