#include "Languages.h"

#include <QString>
#include <algorithm>

#include "content/LanguageCodes.h"

namespace discbuild {

namespace {

struct TRow { int Code; const char* Iso; const char* Voice; };

const TRow kRows[] = {
    {2, "en", "en-gb"},  {1, "en", "en-us"},  {3, "fr", "fr-fr"},   {4, "de", "de"},    {5, "es", "es"},
    {6, "it", "it"},     {8, "nl", "nl"},     {9, "pt", "pt"},      {10, "sv", "sv"},   {11, "nb", "nb"},
    {12, "da", "da"},    {13, "fi", "fi"},    {21, "cy", "cy"},     {33, "sw", "sw"},   {34, "tn", "tn"},
    {38, "ms", "ms"},    {39, "id", "id"},    {44, "ga", "ga"},     {47, "pt", "pt-br"}, {60, "la", "la"},
    {64, "ca", "ca"},    {65, "eu", "eu"},    {66, "es", "es-419"}, {67, "gd", "gd"},   {37, "af", "af"},
    {74, "ht", "ht"},    {84, "pap", "pap"},  {102, "lb", "lb"},    {115, "en", "en-gb"}, {116, "en", "en-us"},
    {117, "fr", "fr-fr"}, {89, "de", "de"},   {153, "es", "es"},    {91, "it", "it"},
    // Written in UTF-8 on the disc: scripts and letters Mac OS Roman lacks.
    {20, "ja", "ja"},    {19, "zh", "cmn"},   {42, "ko", "ko"},     {7, "ru", "ru"},    {15, "el", "el"},
    {28, "pl", "pl"},    {23, "cs", "cs"},    {16, "tr", "tr"},
};

// Written from right to left: Hebrew, Arabic, Urdu, Farsi, Arabic MS,
// Yiddish, Pashto, Arabic Classic.
const int kRightToLeft[] = {17, 18, 31, 35, 92, 99, 104, 141};

} // namespace

TLanguage LanguageOfCode(int code) {
    for (const TRow& r : kRows)
        if (r.Code == code) return {code, r.Iso, r.Voice, code == 1 || code == 2 || code == 3 || code == 4 || code == 5 ||
                                                              code == 66 || code == 115 || code == 116 || code == 117};
    TLanguage l;
    l.Code = code;
    return l;
}

bool WritesRightToLeft(int code) {
    return std::find(std::begin(kRightToLeft), std::end(kRightToLeft), code) != std::end(kRightToLeft);
}

TLanguage FindLanguage(const std::string& text) {
    const QString t = QString::fromStdString(text).trimmed();
    bool number = false;
    const int n = t.toInt(&number);
    if (number) return n >= 1 && n <= 157 ? LanguageOfCode(n) : TLanguage{};
    for (const TRow& r : kRows)
        if (t.compare(QString::fromLatin1(r.Iso), Qt::CaseInsensitive) == 0) return LanguageOfCode(r.Code);
    // Other names and short codes people use: Chinese is Mandarin, and the
    // right-to-left languages are known so that they are refused by name.
    static const std::pair<const char*, int> kAliases[] = {
        {"Chinese", 19}, {"cmn", 19}, {"he", 17}, {"iw", 17}, {"ar", 18}, {"ur", 31},
        {"fa", 35},      {"Persian", 35}, {"yi", 99}, {"ps", 104}};
    for (const auto& [alias, code] : kAliases)
        if (t.compare(QString::fromLatin1(alias), Qt::CaseInsensitive) == 0) return LanguageOfCode(code);
    for (int code = 1; code <= 157; ++code)
        if (t.compare(QString::fromStdString(tav::LanguageName(code)), Qt::CaseInsensitive) == 0)
            return LanguageOfCode(code);
    return {};
}

THostWords HostWords(const TLanguage& lang) {
    const QString iso = QString::fromStdString(lang.Iso);
    if (iso == "fr")
        return {lang.Voice, "Qui dit : « %1 » ?", "Qu'est-ce qu'on dit après : « %1 » ?", "Personne",
                {{"welcome1", "Bonjour et bienvenue au grand quiz du film !"},
                 {"welcome2", "Regardez bien chaque scène, écoutez la question, et répondez plus vite que Zoé."},
                 {"round1", "Première manche !"}, {"round2", "Deuxième manche !"},
                 {"round3", "Troisième manche !"}, {"round4", "Dernière manche !"},
                 {"play1y1", "Bravo, bonne réponse !"}, {"play1y2", "Excellent !"},
                 {"play1y3", "Très bien, cinquante points !"}, {"play1y4", "Parfait !"},
                 {"play1y5", "C'est juste !"}, {"play1y6", "Super, bien joué !"},
                 {"play2y1", "Zoé marque cinquante points."}, {"play2y2", "Zoé a trouvé la bonne réponse."},
                 {"P1Lead1", "Vous êtes en tête !"}, {"P1Lead2", "Vous menez, continuez comme ça !"},
                 {"P1Lead3", "Vous avez de l'avance !"}, {"P2Lead1", "Zoé est en tête."},
                 {"P2Lead2", "Zoé mène pour le moment."}, {"P2Lead3", "Attention, Zoé a de l'avance !"},
                 {"Level1", "Égalité !"}, {"Level2", "Vous êtes à égalité."},
                 {"P1Win1", "Vous avez gagné ! Félicitations !"}, {"P1Win2", "Bravo, vous êtes le champion du quiz !"},
                 {"P2Win1", "Zoé a gagné cette fois."}, {"P2Win2", "Zoé gagne ! Vous ferez mieux la prochaine fois."},
                 {"Draw", "Match nul ! Quelle partie !"}, {"TheEnd", "C'est la fin du quiz."},
                 {"Bye", "Merci d'avoir joué. Au revoir !"}},
                "Zoé"};
    THostWords en{"en-gb", "Who says: \"%1\"?", "What is said after: \"%1\"?", "Nobody",
                  {{"welcome1", "Hello and welcome to the great film quiz!"},
                   {"welcome2", "Watch each scene, listen to the question, and answer faster than Zoe."},
                   {"round1", "Round one!"}, {"round2", "Round two!"}, {"round3", "Round three!"},
                   {"round4", "Final round!"}, {"play1y1", "Well done, that's right!"}, {"play1y2", "Excellent!"},
                   {"play1y3", "Very good, fifty points!"}, {"play1y4", "Perfect!"}, {"play1y5", "Correct!"},
                   {"play1y6", "Great, well played!"}, {"play2y1", "Zoe scores fifty points."},
                   {"play2y2", "Zoe found the right answer."}, {"P1Lead1", "You are in the lead!"},
                   {"P1Lead2", "You are ahead, keep going!"}, {"P1Lead3", "You have the lead!"},
                   {"P2Lead1", "Zoe is in the lead."}, {"P2Lead2", "Zoe is ahead for now."},
                   {"P2Lead3", "Watch out, Zoe is ahead!"}, {"Level1", "All square!"},
                   {"Level2", "You are level."}, {"P1Win1", "You won! Congratulations!"},
                   {"P1Win2", "Well done, you are the quiz champion!"}, {"P2Win1", "Zoe won this time."},
                   {"P2Win2", "Zoe wins! Better luck next time."}, {"Draw", "A draw! What a game!"},
                   {"TheEnd", "That is the end of the quiz."}, {"Bye", "Thank you for playing. Goodbye!"}},
                  "Zoe"};
    if (iso == "en") en.Voice = lang.Voice;
    if (iso == "de") {
        en.Voice = lang.Voice;
        en.WhoSays = "Wer sagt: „%1“?";
        en.WhatNext = "Was wird gesagt nach: „%1“?";
        en.Nobody = "Niemand";
        en.Misc = {{"welcome1", "Hallo und willkommen zum großen Filmquiz!"},
                   {"welcome2", "Schau dir jede Szene an, hör dir die Frage an und antworte schneller als Zoe."},
                   {"round1", "Erste Runde!"}, {"round2", "Zweite Runde!"}, {"round3", "Dritte Runde!"},
                   {"round4", "Letzte Runde!"}, {"play1y1", "Richtig, gut gemacht!"}, {"play1y2", "Ausgezeichnet!"},
                   {"play1y3", "Sehr gut, fünfzig Punkte!"}, {"play1y4", "Perfekt!"}, {"play1y5", "Stimmt!"},
                   {"play1y6", "Super, gut gespielt!"}, {"play2y1", "Zoe bekommt fünfzig Punkte."},
                   {"play2y2", "Zoe hat die richtige Antwort."}, {"P1Lead1", "Du liegst vorne!"},
                   {"P1Lead2", "Du führst, weiter so!"}, {"P1Lead3", "Du hast einen Vorsprung!"},
                   {"P2Lead1", "Zoe liegt vorne."}, {"P2Lead2", "Zoe führt im Moment."},
                   {"P2Lead3", "Achtung, Zoe hat einen Vorsprung!"}, {"Level1", "Gleichstand!"},
                   {"Level2", "Ihr seid gleichauf."}, {"P1Win1", "Du hast gewonnen! Glückwunsch!"},
                   {"P1Win2", "Bravo, du bist der Quizmeister!"}, {"P2Win1", "Zoe hat diesmal gewonnen."},
                   {"P2Win2", "Zoe gewinnt! Nächstes Mal klappt es besser."}, {"Draw", "Unentschieden! Was für ein Spiel!"},
                   {"TheEnd", "Das Quiz ist zu Ende."}, {"Bye", "Danke fürs Spielen. Auf Wiedersehen!"}};
    }
    if (iso == "es") {
        en.Voice = lang.Voice;
        en.WhoSays = "¿Quién dice: «%1»?";
        en.WhatNext = "¿Qué se dice después de: «%1»?";
        en.Nobody = "Nadie";
        en.Misc = {{"welcome1", "¡Hola y bienvenidos al gran concurso de la película!"},
                   {"welcome2", "Mira cada escena, escucha la pregunta y responde más rápido que Zoe."},
                   {"round1", "¡Primera ronda!"}, {"round2", "¡Segunda ronda!"}, {"round3", "¡Tercera ronda!"},
                   {"round4", "¡Última ronda!"}, {"play1y1", "¡Muy bien, respuesta correcta!"}, {"play1y2", "¡Excelente!"},
                   {"play1y3", "¡Muy bien, cincuenta puntos!"}, {"play1y4", "¡Perfecto!"}, {"play1y5", "¡Correcto!"},
                   {"play1y6", "¡Genial, bien jugado!"}, {"play2y1", "Zoe gana cincuenta puntos."},
                   {"play2y2", "Zoe encontró la respuesta correcta."}, {"P1Lead1", "¡Vas en cabeza!"},
                   {"P1Lead2", "¡Vas ganando, sigue así!"}, {"P1Lead3", "¡Tienes ventaja!"},
                   {"P2Lead1", "Zoe va en cabeza."}, {"P2Lead2", "Zoe va ganando por ahora."},
                   {"P2Lead3", "¡Cuidado, Zoe tiene ventaja!"}, {"Level1", "¡Empate!"},
                   {"Level2", "Estáis empatados."}, {"P1Win1", "¡Has ganado! ¡Felicidades!"},
                   {"P1Win2", "¡Bravo, eres el campeón del concurso!"}, {"P2Win1", "Zoe ha ganado esta vez."},
                   {"P2Win2", "¡Gana Zoe! La próxima vez lo harás mejor."}, {"Draw", "¡Empate! ¡Qué partida!"},
                   {"TheEnd", "Es el final del concurso."}, {"Bye", "Gracias por jugar. ¡Adiós!"}};
    }
    return en;
}

demodisc::TPictureWords PictureWords(const TLanguage& lang) {
    demodisc::TPictureWords w; // French
    if (lang.Iso == "fr") return w;
    if (lang.Iso == "de") {
        w.Tagline = "Ein Film zum Deutschlernen";
        w.StartLinks = "Lies mich      Internet      Lizenz";
        w.Footer = "Tavolin – freie Demo";
        w.WhoAreYou = "Wer bist du?";
        w.Visit = "Besuch:";
        w.Score = "Punkte:";
        w.Sessions = "Sitzungen:";
        w.Activities = "Aktivitäten";
        w.Film = "Der Film";
        w.Quiz = "Das Quiz";
        w.Studio = "Das Studio";
        w.Dictionary = "Das Wörterbuch";
        w.WordSearch = "Wort suchen";
        w.Practice = "Übung %";
        w.Test = "Test";
        w.Vocabulary = "Wortschatz";
        w.MissingWord = "Fehlendes Wort";
        w.NextLine = "Nächster Satz";
        w.Spelling = "Rechtschreibung";
        w.Total = "Gesamt";
        w.Certificate = "Urkunde";
        w.OfLanguage = "für Deutsch";
        w.Signature = "Das Tavolin-Team";
        w.Awards = "verleiht mit Stolz";
        w.ThePrize = "den Preis";
        w.Bronze = "Bronze";
        w.Silver = "Silber";
        w.Gold = "Gold";
        w.ChooseActor = "Wähle eine Figur";
        return w;
    }
    if (lang.Iso == "es") {
        w.Tagline = "Una película para aprender español";
        w.StartLinks = "Léame      Internet      Licencia";
        w.Footer = "Tavolin – demo libre";
        w.WhoAreYou = "¿Quién eres?";
        w.Visit = "Visita:";
        w.Score = "Puntos:";
        w.Sessions = "Sesiones:";
        w.Activities = "Actividades";
        w.Film = "La película";
        w.Quiz = "El concurso";
        w.Studio = "El estudio";
        w.Dictionary = "El diccionario";
        w.WordSearch = "Buscar una palabra";
        w.Practice = "Práctica %";
        w.Test = "Prueba";
        w.Vocabulary = "Vocabulario";
        w.MissingWord = "Palabra que falta";
        w.NextLine = "Réplica siguiente";
        w.Spelling = "Ortografía";
        w.Total = "Total";
        w.Certificate = "Certificado";
        w.OfLanguage = "de español";
        w.Signature = "El equipo Tavolin";
        w.Awards = "se enorgullece de otorgar a";
        w.ThePrize = "el premio";
        w.Bronze = "Bronce";
        w.Silver = "Plata";
        w.Gold = "Oro";
        w.ChooseActor = "Elige un personaje";
        return w;
    }
    if (lang.Iso == "ru") {
        w.Tagline = "Фильм для изучения русского языка";
        w.StartLinks = "Прочти меня      Интернет      Лицензия";
        w.Footer = "Tavolin – бесплатная демоверсия";
        w.WhoAreYou = "Кто вы?";
        w.Visit = "Визит:";
        w.Score = "Очки:";
        w.Sessions = "Занятия:";
        w.Activities = "Упражнения";
        w.Film = "Фильм";
        w.Quiz = "Викторина";
        w.Studio = "Студия";
        w.Dictionary = "Словарь";
        w.WordSearch = "Найти слово";
        w.Practice = "Практика %";
        w.Test = "Тест";
        w.Vocabulary = "Лексика";
        w.MissingWord = "Пропущенное слово";
        w.NextLine = "Следующая реплика";
        w.Spelling = "Орфография";
        w.Total = "Итого";
        w.Certificate = "Сертификат";
        w.OfLanguage = "по русскому языку";
        w.Signature = "Команда Tavolin";
        w.Awards = "с гордостью вручает";
        w.ThePrize = "награду";
        w.Bronze = "Бронза";
        w.Silver = "Серебро";
        w.Gold = "Золото";
        w.ChooseActor = "Выберите персонажа";
        return w;
    }
    if (lang.Iso == "ja") {
        w.Tagline = "日本語を学ぶための映画";
        w.StartLinks = "お読みください      インターネット      ライセンス";
        w.Footer = "Tavolin – 無料デモ";
        w.WhoAreYou = "あなたはだれですか？";
        w.Visit = "訪問：";
        w.Score = "得点：";
        w.Sessions = "回数：";
        w.Activities = "練習問題";
        w.Film = "映画";
        w.Quiz = "クイズ";
        w.Studio = "スタジオ";
        w.Dictionary = "辞書";
        w.WordSearch = "単語をさがす";
        w.Practice = "練習 %";
        w.Test = "テスト";
        w.Vocabulary = "語彙";
        w.MissingWord = "抜けた単語";
        w.NextLine = "次のせりふ";
        w.Spelling = "つづり";
        w.Total = "合計";
        w.Certificate = "修了証";
        w.OfLanguage = "日本語";
        w.Signature = "Tavolin チーム";
        w.Awards = "ここに表彰します";
        w.ThePrize = "賞";
        w.Bronze = "銅";
        w.Silver = "銀";
        w.Gold = "金";
        w.ChooseActor = "登場人物を選んでください";
        return w;
    }
    // English, and the fallback for every other language, named in English.
    const std::string name = lang.Iso == "en" || !lang.Code ? std::string("English") : tav::LanguageName(lang.Code);
    w.Tagline = "A film for learning " + name;
    w.StartLinks = "Read me      Internet      Licence";
    w.Footer = "Tavolin – free demo";
    w.WhoAreYou = "Who are you?";
    w.Visit = "Visits:";
    w.Score = "Score:";
    w.Sessions = "Sessions:";
    w.Activities = "Activities";
    w.Film = "The film";
    w.Quiz = "The quiz";
    w.Studio = "The studio";
    w.Dictionary = "The dictionary";
    w.WordSearch = "Find a word";
    w.Practice = "Practice %";
    w.Test = "Test";
    w.Vocabulary = "Vocabulary";
    w.MissingWord = "Missing word";
    w.NextLine = "Next line";
    w.Spelling = "Spelling";
    w.Total = "Total";
    w.Certificate = "Certificate";
    w.OfLanguage = "of " + name;
    w.Signature = "The Tavolin team";
    w.Awards = "is proud to award";
    w.ThePrize = "the prize";
    w.Bronze = "Bronze";
    w.Silver = "Silver";
    w.Gold = "Gold";
    w.ChooseActor = "Choose a character";
    return w;
}

} // namespace discbuild
