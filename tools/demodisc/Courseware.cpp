#include "Courseware.h"

#include <QString>
#include "content/SearchList.h"
#include "content/UnicodeText.h"
#include <algorithm>
#include <set>

namespace demodisc {

std::vector<TDictWord> DictionaryWords(bool fixture) {
    std::vector<TDictWord> all = {
        {"le chien", "🐕"},      {"le chat", "🐈"},       {"les chaussures", "👟"}, {"la pomme", "🍎"},
        {"la clé", "🔑"},        {"le soleil", "☀️"},     {"le ciel", "⛅"},        {"les fleurs", "🌸"},
        {"l'arbre", "🌳"},       {"le cadeau", "🎁"},     {"le gâteau", "🎂"},      {"le chocolat", "🍫"},
        {"la rue", "🛣️"},        {"le ballon", "⚽"},     {"la photo", "📷"},       {"le téléphone", "📱"},
        {"le café", "☕"},       {"le croissant", "🥐"},  {"l'oreille", "👂"},      {"la valise", "🧳"},
        {"la gare", "🚉"},       {"le vélo", "🚲"},       {"la porte", "🚪"},       {"le verre d'eau", "🥛"},
        {"le monsieur", "👨"},   {"les enfants", "🧒"},   {"le quai", "🛤️"},        {"le manteau", "🧥"},
        {"le voyageur", "🧑‍💼"}, {"le train", "🚆"},      {"le billet", "🎫"},      {"l'horloge", "🕔"},
        {"la maison", "🏠"},     {"les bougies", "🕯️"},   {"le livre", "📖"},       {"le nez", "👃"},
        {"la crème", "🍦"},      {"le sac", "👜"},        {"la table", "🍽️"},       {"le vœu", "🌠"},
        {"la queue", "🐾"},
    };
    if (fixture) all = {all[0], all[1], all[10], all[11], all[12], all[17], all[32], all[17 + 1]};
    return all;
}

std::vector<std::string> DistractorWords() {
    return {
        "maison|jardin|voiture|fenêtre|cuisine", "bateau|avion|plage|montagne|rivière",
        "école|classe|cahier|crayon|stylo",      "lundi|mardi|mercredi|jeudi|vendredi",
        "samedi|dimanche|matin|soir|nuit",       "rouge|vert|jaune|violet|orange",
        "grand|petit|rapide|lent|joli",          "manger|boire|dormir|courir|chanter",
        "parler|écouter|regarder|chercher|trouver", "poisson|oiseau|cheval|lapin|souris",
        "fromage|beurre|confiture|salade|soupe", "pantalon|chemise|chapeau|écharpe|gants",
        "hiver|printemps|été|automne|neige",     "pluie|vent|nuage|orage|brouillard",
        "médecin|boulanger|facteur|professeur|pompier", "piano|guitare|violon|tambour|flûte",
        "église|mairie|musée|marché|pharmacie",  "vite|souvent|jamais|toujours|parfois",
        "ouvrir|fermer|monter|descendre|tomber", "heureux|fatigué|malade|content|sérieux",
        "cousin|cousine|oncle|tante|grand-mère", "lettre|journal|carte|enveloppe|timbre",
    };
}

std::vector<std::string> SearchWords(const TStory& story, bool fixture) {
    // Words worth looking up, each with a short French comment when useful.
    static const std::vector<std::string> curated = {
        "Biscuit, le chien de Léa", "chien", "chat", "parc", "anniversaire", "gâteau, au chocolat",
        "chocolat", "laisse, pour promener le chien", "sac", "pomme", "clé", "soleil", "ciel",
        "fleurs", "arbre", "cadeau", "rue", "ballon", "photo", "téléphone", "café", "croissant",
        "oreille", "valise", "gare", "vélo", "porte", "verre", "eau", "monsieur", "enfants",
        "quai", "guichet, où on achète les billets", "manteau", "voyageur", "train", "billet",
        "Lyon, une grande ville", "heures", "horloge", "maison", "bougies", "vœu", "livre", "nez",
        "crème", "gourmand, qui aime manger", "merci", "bonjour", "demain", "aujourd'hui",
        "toujours", "souvent", "partout", "vite", "gentil", "triste", "content", "perdu",
        "retrouver", "cherche", "cousin", "terrasse", "dormir", "dort", "peur", "plaisir",
        "Camille", "Hugo", "Léa", "Madame", "papa", "maman",
    };
    // Only words the word search finds: spoken as a whole word in some line.
    std::vector<tav::TMovieEntry> lines(story.Lines.size());
    for (size_t i = 0; i < story.Lines.size(); ++i)
        lines[i].LineText = tav::FromQString(QString::fromStdString(story.Lines[i].Text));
    std::vector<std::string> out;
    for (const std::string& entry : curated) {
        const std::string word = tav::SearchWordOf(tav::FromQString(QString::fromStdString(entry)));
        if (!tav::FindMatches(lines, word).empty()) out.push_back(entry);
        if (fixture && out.size() >= 10) break;
    }
    return out;
}

std::vector<TQuizQuestion> QuizQuestions(const TStory& story, bool fixture, int count) {
    std::vector<TQuizQuestion> out;
    auto range = [&](const char* from, const char* to) {
        return std::pair<int, int>(story.FindLine(from), story.FindLine(to));
    };
    auto add = [&](std::pair<int, int> r, const char* q, const char* a1, const char* a2, const char* a3, int correct) {
        out.push_back({r.first, r.second, q, {a1, a2, a3}, correct});
    };
    if (!fixture) {
        add(range("dépêche-toi", "sous la table"), "Où sont les chaussures de Hugo ?", "Sous le lit.",
            "Sous la table.", "Dans le sac.", 2);
        add(range("Tu as la laisse", "une pomme"), "Qu'est-ce que Léa a pris pour Hugo ?", "Une pomme.",
            "Un croissant.", "Un gâteau.", 1);
        add(range("Il fait beau", "jolies"), "Quel temps fait-il au parc ?", "Il pleut.", "Il neige.",
            "Il fait beau.", 3);
        add(range("Ton anniversaire ?", "Tu as oublié"), "Quand est l'anniversaire de Léa ?", "Demain.",
            "Aujourd'hui.", "Hier.", 2);
        add(range("Merci ! Maman", "Merci ! Maman"), "Que prépare maman pour ce soir ?",
            "Un gâteau au chocolat.", "Une soupe.", "Une salade.", 1);
        add(range("Regarde Biscuit", "Reviens ici"), "Après quel animal Biscuit court-il ?", "Un oiseau.",
            "Un lapin.", "Un chat.", 3);
        add(range("Le petit chien blanc", "Oui, c'est lui"), "Où Biscuit a-t-il une tache noire ?",
            "Sur la queue.", "Sur l'oreille.", "Sur le nez.", 2);
        add(range("Il est passé ici", "Il a mangé un croissant"), "Qu'est-ce que Biscuit a mangé au café ?",
            "Un croissant.", "Une pomme.", "Du fromage.", 1);
        add(range("Vers la gare", "Vers la gare"), "Qui Biscuit suivait-il ?", "Une dame avec un chapeau.",
            "Un enfant avec un ballon.", "Un monsieur avec une valise.", 3);
        add(range("J'ai mon vélo", "J'ai mon vélo"), "Comment Camille peut-elle aller plus vite ?",
            "En voiture.", "À vélo.", "En train.", 2);
        add(range("Prenez un verre", "Il fait chaud"), "Que propose Madame Roux aux enfants ?",
            "Un verre d'eau.", "Un café.", "Un chocolat chaud.", 1);
        add(range("Je vais appeler mon cousin", "Allô, Paul"), "Où travaille le cousin de Madame Roux ?",
            "Au parc.", "À l'école.", "À la gare.", 3);
        add(range("Il va très bien", "Il va très bien"), "Où dort Biscuit ?", "Sur un banc.",
            "Sur le manteau de Monsieur Petit.", "Dans une valise.", 2);
        add(range("Il est arrivé avec un voyageur", "Et Biscuit voulait"), "Où allait le voyageur ?",
            "À Lyon.", "À Paris.", "À Marseille.", 1);
        add(range("Peut-être ! Mais", "Un chien sans billet"), "Qu'est-ce que Biscuit n'avait pas ?",
            "De laisse.", "De collier.", "De billet.", 3);
        add(range("Attention, le train", "Attention, le train"), "À quelle heure arrive le train ?",
            "À dix-sept heures.", "À huit heures.", "À midi.", 1);
        add(range("Merci, mais je travaille", "Merci, mais je travaille"),
            "Jusqu'à quelle heure travaille Monsieur Petit ?", "Jusqu'à cinq heures.", "Jusqu'à huit heures.",
            "Jusqu'à minuit.", 2);
        add(range("Un livre sur les chiens", "Un livre sur les chiens"), "Quel est le cadeau de Léa ?",
            "Un ballon.", "Un vélo.", "Un livre sur les chiens.", 3);
        add(range("Trop tard ! Il a déjà", "Trop tard ! Il a déjà"), "Où Biscuit a-t-il le nez ?",
            "Dans la crème.", "Dans le sac.", "Dans l'eau.", 1);
    }
    // "Who says ...?" questions on spoken lines spread over the film.
    std::vector<int> spoken;
    for (int i = 0; i < int(story.Lines.size()); ++i)
        if (story.Lines[size_t(i)].Cue == TCue::Speech && QString::fromStdString(story.Lines[size_t(i)].Text).size() <= 44)
            spoken.push_back(i); // short enough to quote whole
    const int names = int(story.Characters.size());
    for (int k = 0; int(out.size()) < count && !spoken.empty(); ++k) {
        const int i = spoken[size_t((k * 7 + 3) % int(spoken.size()))];
        const TStoryLine& l = story.Lines[size_t(i)];
        TQuizQuestion q;
        q.FromLine = q.ToLine = i;
        q.Question = "Qui dit : « " + l.Text + " » ?";
        q.Correct = 1 + k % 3;
        // The speaker and two others (the dog stands in when the cast is small).
        std::vector<std::string> choices{story.Characters[size_t(l.Speaker)].Name};
        for (int d = 1; d < names && choices.size() < 3; ++d)
            choices.push_back(story.Characters[size_t((l.Speaker + 1 + (d - 1 + k) % (names - 1)) % names)].Name);
        while (choices.size() < 3) choices.push_back(choices.size() == 2 ? "Biscuit" : "Maman");
        std::sort(choices.begin() + 1, choices.end());
        choices.erase(std::unique(choices.begin() + 1, choices.end()), choices.end());
        if (choices.size() < 3) choices.push_back("Biscuit");
        int other = 1;
        for (int a = 0; a < 3; ++a) q.Answers[a] = a + 1 == q.Correct ? choices[0] : choices[size_t(other++)];
        out.push_back(q);
    }
    if (int(out.size()) > count) out.resize(size_t(count));
    return out;
}

std::string FrenchNumber(int n) {
    static const char* units[] = {"zéro", "un", "deux", "trois", "quatre", "cinq", "six", "sept", "huit",
                                  "neuf", "dix", "onze", "douze", "treize", "quatorze", "quinze", "seize",
                                  "dix-sept", "dix-huit", "dix-neuf"};
    static const char* tens[] = {"", "", "vingt", "trente", "quarante", "cinquante", "soixante"};
    if (n < 20) return units[n];
    if (n == 100) return "cent";
    if (n < 70) {
        const int t = n / 10, u = n % 10;
        if (u == 0) return tens[t];
        if (u == 1) return std::string(tens[t]) + " et un";
        return std::string(tens[t]) + "-" + units[u];
    }
    if (n < 80) return n == 71 ? "soixante et onze" : "soixante-" + std::string(units[n - 60]);
    if (n == 80) return "quatre-vingts";
    return "quatre-vingt-" + std::string(units[n - 80]);
}

} // namespace demodisc
