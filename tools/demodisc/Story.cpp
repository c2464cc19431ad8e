#include "Story.h"
#include "StoryTranslations.h"

#include <stdexcept>

namespace demodisc {

int TStory::FindLine(const std::string& fragment) const {
    for (size_t i = 0; i < Lines.size(); ++i)
        if (Lines[i].Text.find(fragment) != std::string::npos) return static_cast<int>(i);
    throw std::runtime_error("story has no line containing: " + fragment);
}

namespace {

enum { LEA, HUGO, ROUX, CAMILLE, PETIT };

std::vector<TCharacter> Cast() {
    return {
        {"Léa", "fr+f3", 72, 150, 0xE0525A, 0x6B3A1E, true, true},
        {"Hugo", "fr+m3", 52, 158, 0x3C78C8, 0x2B1B10, false, true},
        {"Madame Roux", "fr+f2", 42, 140, 0x8E5BB5, 0xB4451F, true, false},
        {"Camille", "fr+f4", 62, 165, 0x3AA66B, 0xE2B64A, true, true},
        {"Monsieur Petit", "fr+m1", 28, 135, 0x2F4A6E, 0x7A7A7A, false, false},
    };
}

struct TBuilder {
    TStory& S;
    int Part = 1;
    std::string Setting;
    void Say(int who, const char* text) { S.Lines.push_back({Part, Setting, who, text, TCue::Speech, {}, {}}); }
    void Sound(TCue cue) { S.Lines.push_back({Part, Setting, -1, "", cue, {}, {}}); }
};

} // namespace

TStory DemoStory() {
    TStory s;
    s.Title = "Biscuit s'est perdu";
    s.Characters = Cast();
    s.PartCount = 3;
    TBuilder b{s};

    b.Part = 1; b.Setting = "maison";
    b.Sound(TCue::Music);
    b.Say(LEA, "Hugo, dépêche-toi ! Biscuit veut aller au parc.");
    b.Say(HUGO, "J'arrive, j'arrive ! Je cherche mes chaussures.");
    b.Say(LEA, "Elles sont sous la table, comme toujours.");
    b.Say(HUGO, "Ah oui, merci. Tu as la laisse ?");
    b.Say(LEA, "Oui, elle est dans mon sac. Et j'ai pris une pomme pour toi.");
    b.Say(HUGO, "Super. Prends aussi la clé de la maison.");
    b.Setting = "parc";
    b.Say(HUGO, "Il fait beau aujourd'hui. Le soleil brille et le ciel est tout bleu.");
    b.Say(LEA, "Regarde les fleurs sous l'arbre. Elles sont jolies !");
    b.Say(LEA, "C'est parfait pour mon anniversaire.");
    b.Say(HUGO, "Ton anniversaire ? C'est demain, non ?");
    b.Say(LEA, "Non, c'est aujourd'hui ! Tu as oublié ?");
    b.Say(HUGO, "Mais non, je plaisante. Joyeux anniversaire, petite sœur !");
    b.Say(HUGO, "Ton cadeau est caché à la maison.");
    b.Say(LEA, "Merci ! Maman prépare un gâteau au chocolat pour ce soir.");
    b.Sound(TCue::Bark);
    b.Say(HUGO, "Regarde Biscuit. Il court après un chat !");
    b.Say(LEA, "Biscuit ! Reviens ici ! Biscuit !");
    b.Say(HUGO, "Trop tard. Il est parti vers la rue avec son ballon.");
    b.Say(LEA, "Oh non ! Sans la laisse, il va se perdre.");
    b.Say(HUGO, "Ne t'inquiète pas. On va le retrouver.");
    b.Say(HUGO, "Tu as une photo de lui sur ton téléphone ?");
    b.Say(LEA, "Oui, j'en ai beaucoup. Il est toujours si mignon.");
    b.Say(LEA, "Il connaît le café de Madame Roux. Il y va souvent avec papa.");
    b.Say(HUGO, "Bonne idée. Allons au café d'abord.");

    b.Part = 2; b.Setting = "cafe";
    b.Sound(TCue::Music);
    b.Say(ROUX, "Bonjour les enfants ! Qu'est-ce que je vous sers ?");
    b.Say(LEA, "Bonjour Madame Roux. Nous cherchons notre chien, Biscuit.");
    b.Say(ROUX, "Le petit chien blanc avec une tache noire sur l'oreille ?");
    b.Say(HUGO, "Oui, c'est lui ! Vous l'avez vu ?");
    b.Say(ROUX, "Il est passé ici il y a dix minutes.");
    b.Say(ROUX, "Il a mangé un croissant sur la terrasse, et puis il est parti.");
    b.Say(LEA, "Un croissant ? Ce chien est vraiment gourmand.");
    b.Say(HUGO, "Il est parti dans quelle direction ?");
    b.Say(ROUX, "Vers la gare, je crois. Il suivait un monsieur avec une valise.");
    b.Say(CAMILLE, "Léa ! Hugo ! Qu'est-ce que vous faites ici ?");
    b.Say(LEA, "Camille ! Biscuit s'est perdu. Nous le cherchons partout.");
    b.Say(CAMILLE, "Oh, le pauvre ! Je peux vous aider ?");
    b.Say(HUGO, "Oui, bien sûr. Plus on est nombreux, mieux c'est.");
    b.Say(CAMILLE, "J'ai mon vélo devant la porte. Je peux aller plus vite.");
    b.Say(ROUX, "Attendez ! Prenez un verre d'eau avant de partir.");
    b.Say(LEA, "Merci, c'est très gentil. Il fait chaud dehors.");
    b.Say(CAMILLE, "Au fait, Léa, ce n'est pas ton anniversaire aujourd'hui ?");
    b.Say(LEA, "Si ! Mais pour l'instant, ce n'est pas un très bon anniversaire.");
    b.Say(CAMILLE, "Ne sois pas triste. On va le trouver, ton Biscuit.");
    b.Say(ROUX, "Je vais appeler mon cousin Paul. Il travaille à la gare.");
    b.Say(ROUX, "Allô, Paul ? Tu vois un petit chien blanc sur le quai ?");
    b.Say(HUGO, "Alors ? Qu'est-ce qu'il dit ?");
    b.Say(ROUX, "Il dit qu'un chien dort à côté du guichet !");
    b.Say(LEA, "C'est sûrement Biscuit ! Merci, Madame Roux !");
    b.Say(ROUX, "De rien, ma chérie. Et bon anniversaire !");
    b.Say(CAMILLE, "Allez, tout le monde à la gare !");

    b.Part = 3; b.Setting = "gare";
    b.Sound(TCue::Train);
    b.Say(PETIT, "Bonjour ! Vous êtes les enfants du petit chien ?");
    b.Say(HUGO, "Oui, monsieur. Madame Roux vous a téléphoné.");
    b.Say(PETIT, "C'est ça. Je m'appelle Paul Petit. Venez avec moi.");
    b.Say(LEA, "Où est-il ? Il va bien ?");
    b.Say(PETIT, "Il va très bien. Il dort sur mon manteau, derrière le guichet.");
    b.Sound(TCue::Bark);
    b.Say(LEA, "Biscuit ! Mon petit Biscuit ! Tu m'as fait peur !");
    b.Say(CAMILLE, "Regarde comme il est content. Il remue la queue.");
    b.Say(PETIT, "Il est arrivé avec un voyageur qui allait prendre le train pour Lyon.");
    b.Say(HUGO, "Et Biscuit voulait partir à Lyon, lui aussi ?");
    b.Say(PETIT, "Peut-être ! Mais il n'avait pas de billet.");
    b.Say(CAMILLE, "Un chien sans billet, ce n'est pas possible !");
    b.Say(LEA, "Merci beaucoup, monsieur. Vous êtes très gentil.");
    b.Say(PETIT, "Je vous en prie. Mais la prochaine fois, gardez la laisse !");
    b.Say(HUGO, "Promis. Je la mets tout de suite.");
    b.Say(PETIT, "Attention, le train de dix-sept heures arrive. Restez derrière la ligne jaune.");
    b.Sound(TCue::Train);
    b.Say(CAMILLE, "Il est déjà cinq heures ? Regardez l'horloge. Il faut rentrer !");
    b.Say(LEA, "Tu viens chez nous, Camille ? Il y a du gâteau.");
    b.Say(CAMILLE, "Avec plaisir ! J'adore le gâteau au chocolat.");
    b.Say(HUGO, "Monsieur Petit, vous voulez venir aussi ?");
    b.Say(PETIT, "Merci, mais je travaille jusqu'à huit heures. Une autre fois !");
    b.Setting = "maison";
    b.Sound(TCue::Music);
    b.Say(HUGO, "Voilà le gâteau ! Attention, les bougies sont allumées.");
    b.Say(CAMILLE, "Joyeux anniversaire, Léa !");
    b.Say(HUGO, "Fais un vœu et souffle les bougies.");
    b.Say(LEA, "Mon vœu s'est déjà réalisé. Biscuit est à la maison.");
    b.Say(CAMILLE, "Alors fais un autre vœu !");
    b.Say(LEA, "D'accord. Je voudrais qu'il ne se perde plus jamais.");
    b.Say(HUGO, "Et moi, je voudrais un grand morceau de gâteau.");
    b.Say(HUGO, "Tiens, Léa, voici ton cadeau. Ouvre-le !");
    b.Say(LEA, "Un livre sur les chiens ! Il est magnifique.");
    b.Sound(TCue::Bark);
    b.Say(LEA, "Non, Biscuit ! Le gâteau, ce n'est pas pour les chiens !");
    b.Say(CAMILLE, "Trop tard ! Il a déjà le nez dans la crème.");
    b.Say(HUGO, "Ce chien est vraiment trop gourmand !");
    b.Say(LEA, "C'est le meilleur anniversaire de ma vie.");
    s.DogLeaves = s.FindLine("Trop tard. Il est parti");
    s.DogReturns = s.FindLine("Mon petit Biscuit") - 1;
    AddTranslations(s);
    return s;
}

TStory FixtureStory() {
    TStory s;
    s.Title = "Biscuit au parc";
    s.Characters = Cast();
    s.Characters.resize(2);
    s.PartCount = 2;
    TBuilder b{s};
    b.Part = 1; b.Setting = "parc";
    b.Sound(TCue::Music);
    b.Say(LEA, "Hugo, regarde le chien !");
    b.Say(HUGO, "Il court après un chat.");
    b.Say(LEA, "Biscuit, reviens ici !");
    b.Say(HUGO, "Il est parti vers la rue.");
    b.Say(HUGO, "Il court très vite !");
    b.Say(LEA, "Oh non, il va se perdre.");
    b.Say(HUGO, "On va le retrouver.");
    b.Part = 2; b.Setting = "cafe";
    b.Sound(TCue::Bark);
    b.Say(LEA, "Le voilà, devant le café !");
    b.Say(HUGO, "Il mange un croissant.");
    b.Say(LEA, "Quel chien gourmand !");
    b.Say(HUGO, "Rentrons à la maison.");
    b.Say(LEA, "Avec le gâteau au chocolat !");
    b.Say(HUGO, "Bonne idée, petite sœur.");
    s.DogLeaves = s.FindLine("Il est parti vers la rue");
    s.DogReturns = s.FindLine("Le voilà") - 1;
    AddTranslations(s);
    return s;
}

} // namespace demodisc
