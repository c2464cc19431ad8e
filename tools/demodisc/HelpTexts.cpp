#include "HelpTexts.h"

#include <stdexcept>

namespace demodisc {

const std::vector<int>& HelpLanguages() {
    static const std::vector<int> codes{2, 5};
    return codes;
}

namespace {

struct TRow {
    const char* File;
    int Width, Height;
    const char *TitleEn, *BodyEn, *TitleEs, *BodyEs;
};

const TRow kPages[] = {
    {"boothelp.jpg", 420, 250, "Welcome to Tavolin",
     "Learn French with a short film, \"Biscuit s'est perdu\".\n"
     "• Start: sign in and open the main menu.\n• The flag: choose the language of the help.\n"
     "• The three small buttons: read me, web page, licence.\n• The door at the bottom left: leave the program.",
     "Bienvenido a Tavolin",
     "Aprende francés con una película corta, «Biscuit s'est perdu».\n"
     "• Empezar: entra con tu nombre y abre el menú principal.\n• La bandera: elige el idioma de la ayuda.\n"
     "• Los tres botones pequeños: léeme, página web, licencia.\n• La puerta abajo a la izquierda: salir del programa."},
    {"mainhelp.jpg", 430, 270, "The main menu",
     "Everything starts from the film.\n• Watch the film with captions and the script.\n"
     "• Activities: vocabulary, missing word, next line, spelling.\n• Quiz: a game show on the film.\n"
     "• Studio: record your voice for a character.\n• Dictionary and word search: look up the film's words.",
     "El menú principal",
     "Todo empieza con la película.\n• Mira la película con subtítulos y el guion.\n"
     "• Actividades: vocabulario, palabra que falta, frase siguiente, ortografía.\n"
     "• Concurso: un juego de preguntas sobre la película.\n• Estudio: graba tu voz para un personaje.\n"
     "• Diccionario y búsqueda: busca las palabras de la película."},
    {"acthelp.jpg", 430, 270, "Activities",
     "Each activity has a practice (left) and a test (right).\n"
     "Your practice percentage is shown on the left, your test score on the right.\n"
     "Four perfect tests give 400 points: 300 earn bronze, 350 silver and 375 gold.\n"
     "With an award you can print your certificate.",
     "Actividades",
     "Cada actividad tiene una práctica (izquierda) y una prueba (derecha).\n"
     "A la izquierda ves tu porcentaje de práctica; a la derecha, tu puntuación.\n"
     "Cuatro pruebas perfectas dan 400 puntos: 300 son bronce, 350 plata y 375 oro.\n"
     "Con un premio puedes imprimir tu diploma."},
    {"namehelp.jpg", 380, 230, "Who are you?",
     "Type your name in the box and press Start.\nIf you have been here before, click your name in the list.\n"
     "The list shows your last visit, your score and your award.\nTo remove a name, select it and press Delete.",
     "¿Quién eres?",
     "Escribe tu nombre en la casilla y pulsa Empezar.\nSi ya has venido antes, haz clic en tu nombre en la lista.\n"
     "La lista muestra tu última visita, tu puntuación y tu premio.\n"
     "Para borrar un nombre, selecciónalo y pulsa Supr."},
    {"langhelp.jpg", 330, 170, "Help language",
     "Click a flag to read the help and the hints in that language.\nThe film stays in French.",
     "Idioma de la ayuda",
     "Haz clic en una bandera para leer la ayuda y las pistas en ese idioma.\nLa película sigue en francés."},
    {"rsmhelp.jpg", 380, 200, "Recording studio",
     "Choose a character by clicking their picture.\nYou will then speak their lines yourself.",
     "Estudio de grabación",
     "Elige un personaje haciendo clic en su imagen.\nDespués dirás tú mismo sus frases."},
    {"rechelp.jpg", 440, 250, "Record your voice",
     "Click the clapperboard to choose a scene.\n• The speaker button plays the character's line.\n"
     "• The red button records you; speak while the bar runs.\n• The green button plays your recording.\n"
     "When all lines are recorded, the big button plays the scene with your voice.",
     "Graba tu voz",
     "Haz clic en la claqueta para elegir una escena.\n• El altavoz reproduce la frase del personaje.\n"
     "• El botón rojo te graba; habla mientras avanza la barra.\n• El botón verde reproduce tu grabación.\n"
     "Cuando todo esté grabado, el botón grande reproduce la escena con tu voz."},
    {"sphelp.jpg", 430, 250, "Watch the film",
     "Play and stop with the middle button; wind back and forward with the arrows.\n"
     "• Script: read the dialogue and click a line to hear it.\n"
     "• Film strip: click a picture to start the film there.\n• Full screen: the big picture.",
     "Mira la película",
     "Reproduce y para con el botón central; rebobina y avanza con las flechas.\n"
     "• Guion: lee el diálogo y haz clic en una frase para oírla.\n"
     "• Tira de imágenes: haz clic en una imagen para empezar allí.\n• Pantalla completa: la imagen grande."},
    {"VocPHelp.jpg", 420, 230, "Vocabulary practice",
     "Listen to the French word and click the picture that matches it.\n"
     "Click the word or the play button to hear it again.\nThe hint button shows you the answer.",
     "Práctica de vocabulario",
     "Escucha la palabra en francés y haz clic en la imagen que corresponde.\n"
     "Haz clic en la palabra o en el botón para oírla otra vez.\nEl botón de pista te muestra la respuesta."},
    {"VocTHelp.jpg", 420, 230, "Vocabulary test",
     "Twenty words, ten seconds each.\nA right picture gives 5 points, a wrong one takes 2 away.\n"
     "Be quick: the clock starts when the word has been spoken.",
     "Prueba de vocabulario",
     "Veinte palabras, diez segundos cada una.\nUna imagen correcta da 5 puntos; una incorrecta quita 2.\n"
     "Sé rápido: el reloj empieza cuando termina la palabra."},
    {"wphelp.jpg", 420, 230, "Missing word practice",
     "Watch the line. One word is hidden behind the marks.\nClick the word that is missing.\n"
     "The hint button shows you the answer.",
     "Práctica: palabra que falta",
     "Mira la frase. Una palabra está escondida detrás de las marcas.\nHaz clic en la palabra que falta.\n"
     "El botón de pista te muestra la respuesta."},
    {"wthelp.jpg", 420, 230, "Missing word test",
     "Twenty lines, ten seconds each after the line has played.\n"
     "A right word gives 5 points, a wrong one takes 2 away.",
     "Prueba: palabra que falta",
     "Veinte frases, diez segundos cada una después de oírla.\n"
     "Una palabra correcta da 5 puntos; una incorrecta quita 2."},
    {"WNPHelp.jpg", 420, 230, "Next line practice",
     "Listen to the line, then choose the line that is spoken next.\n"
     "A right answer takes you on through the film.",
     "Práctica: frase siguiente",
     "Escucha la frase y elige la que se dice a continuación.\n"
     "Una respuesta correcta te lleva adelante en la película."},
    {"wnthelp.jpg", 420, 230, "Next line test",
     "Twenty questions, ten seconds each.\nA right line gives 5 points, a wrong one takes 2 away.",
     "Prueba: frase siguiente",
     "Veinte preguntas, diez segundos cada una.\nUna frase correcta da 5 puntos; una incorrecta quita 2."},
    {"SplPHelp.jpg", 430, 200, "Spelling practice",
     "Spell the hidden word: drag the letter tiles into the empty boxes,\n"
     "or type the letters on the keyboard.\nThe hint button places the next letter for you.",
     "Práctica de ortografía",
     "Escribe la palabra escondida: arrastra las fichas a las casillas vacías\n"
     "o teclea las letras.\nEl botón de pista coloca la letra siguiente."},
    {"SplTHelp.jpg", 430, 200, "Spelling test",
     "Ten words. Each right letter gives a point, each wrong one takes a point away.\n"
     "Watch the clock: you have five seconds per letter.",
     "Prueba de ortografía",
     "Diez palabras. Cada letra correcta da un punto; cada error quita uno.\n"
     "Mira el reloj: tienes cinco segundos por letra."},
    {"WSHelp.jpg", 420, 240, "Word search",
     "Click a word in the list on the right.\nYou see every line of the film in which it is spoken.\n"
     "Click a line, or the picture, to hear it in the film.",
     "Búsqueda de palabras",
     "Haz clic en una palabra de la lista de la derecha.\nVerás todas las frases de la película donde aparece.\n"
     "Haz clic en una frase, o en la imagen, para oírla."},
    {"DicHelp.jpg", 400, 210, "Picture dictionary",
     "Click a word in the list to see its picture and hear it.\nClick the picture or the word to hear it again.",
     "Diccionario ilustrado",
     "Haz clic en una palabra de la lista para ver su imagen y oírla.\n"
     "Haz clic en la imagen o en la palabra para oírla otra vez."},
    {"quizhelp.jpg", 420, 220, "The film quiz",
     "Watch the scene, listen to the question and the three answers.\n"
     "Click the right answer before your opponent does: it is worth 50 points.\n"
     "Twenty questions in four rounds.",
     "El concurso",
     "Mira la escena, escucha la pregunta y las tres respuestas.\n"
     "Haz clic en la respuesta correcta antes que tu rival: vale 50 puntos.\n"
     "Veinte preguntas en cuatro rondas."},
    {"wtsorry.jpg", 300, 150, "Time is up!", "Click to go on to the next question.", "¡Se acabó el tiempo!",
     "Haz clic para pasar a la pregunta siguiente."},
};

struct THintRow {
    const char* File;
    const char *En, *Es;
};

const THintRow kHints[] = {
    {"boohint1.jpg", "Start", "Empezar"},
    {"boohint2.jpg", "Help language", "Idioma de ayuda"},
    {"boohint3.jpg", "Read me", "Léeme"},
    {"boohint4.jpg", "Web page", "Página web"},
    {"boohint5.jpg", "Licence", "Licencia"},
    {"boohint6.jpg", "Back", "Volver"},
    {"mmhint1.jpg", "Activities", "Actividades"},
    {"mmhint2.jpg", "Watch the film", "Ver la película"},
    {"mmhint3.jpg", "Film quiz", "Concurso"},
    {"mmhint4.jpg", "Recording studio", "Estudio"},
    {"mmhint5.jpg", "Dictionary", "Diccionario"},
    {"mmhint6.jpg", "Word search", "Buscar palabras"},
    {"mmhint7.jpg", "Back", "Volver"},
    {"achint1.jpg", "Vocabulary practice", "Práctica de vocabulario"},
    {"achint2.jpg", "Vocabulary test", "Prueba de vocabulario"},
    {"achint3.jpg", "Missing word practice", "Práctica: palabra"},
    {"achint4.jpg", "Missing word test", "Prueba: palabra"},
    {"achint5.jpg", "Next line practice", "Práctica: frase"},
    {"achint6.jpg", "Next line test", "Prueba: frase"},
    {"achint7.jpg", "Spelling practice", "Práctica: ortografía"},
    {"achint8.jpg", "Spelling test", "Prueba: ortografía"},
    {"achint9.jpg", "Print certificate", "Imprimir diploma"},
    {"achint10.jpg", "Back", "Volver"},
    {"lnghint1.jpg", "Back", "Volver"},
    {"sphint1.jpg", "Back", "Volver"},
    {"sphint2.jpg", "Script", "Guion"},
    {"sphint3.jpg", "Film strip", "Tira de imágenes"},
    {"sphint4.jpg", "Full screen", "Pantalla completa"},
};

// Spanish for 5; English for every other language (the texts the generator has).
bool Spanish(int language) { return language == 5; }

void Replace(std::string& s, const std::string& from, const std::string& to) {
    if (from == to) return;
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
}

// The demo film's title and language in the texts become the given film's.
void Retarget(std::string& s, const THelpFilm& film) {
    Replace(s, "Biscuit s'est perdu", film.Title);
    Replace(s, "French", film.LanguageEn);
    Replace(s, "francés", film.LanguageEs);
}

} // namespace

std::vector<THelpPage> HelpPages(int language, const THelpFilm& film) {
    const bool es = Spanish(language);
    std::vector<THelpPage> out;
    for (const TRow& r : kPages) {
        out.push_back({r.File, r.Width, r.Height, es ? r.TitleEs : r.TitleEn, es ? r.BodyEs : r.BodyEn});
        Retarget(out.back().Body, film);
    }
    return out;
}

std::vector<THint> Hints(int language) {
    const bool es = Spanish(language);
    std::vector<THint> out;
    for (const THintRow& r : kHints) out.push_back({r.File, es ? r.Es : r.En});
    return out;
}

} // namespace demodisc
