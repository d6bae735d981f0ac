// Starts the game in the page, in named steps: the window's scale, Qt's elements, the live
// region, loading, offline. A classic script rather than a module, so that a page opened from
// disk, where a browser loads no module, can still say why the game cannot start.
"use strict";
(() => {
    const game = document.getElementById("game");
    const loading = document.getElementById("loading");
    const progress = document.getElementById("progress");
    const spoken = document.getElementById("spoken");
    let instance;  // the game, once Qt's loader has started it
    // The release the page's files belong to, in each address: a browser's cache never mixes two.
    const release = new URL(document.currentScript.src).search;

    // --- The window's scale ---------------------------------------------------------------
    // The window's own size, or as much smaller as the page is narrower or lower, all of it in
    // view, as the page changes: a phone turned, a window resized. Qt draws it at that scale
    // itself, so that it stays crisp and takes the pointer where it is; a box scaled by the
    // page would be a smaller screen to Qt. The scale comes to a quarter step of device pixels
    // to the window's own, as 125 or 150 % do on the desktop: between them, neighbouring
    // controls' edges fall on fractions of a pixel and leave traces as they are drawn again.
    const WindowWidth = game.offsetWidth, WindowHeight = game.offsetHeight;
    let windowScale = 0;

    function fitWindow() {
        const room = document.documentElement;
        const fit = Math.min(1, room.clientWidth / WindowWidth, room.clientHeight / WindowHeight);
        const scale = fit < 1 ? Math.max(1, Math.floor(fit * devicePixelRatio * 4)) / 4 / devicePixelRatio : 1;
        if (scale === windowScale)
            return;
        windowScale = scale;
        // Qt first, then the box: Qt draws the window anew as it measures its box again.
        instance?.setWindowScale(scale);
        game.style.width = `${WindowWidth * scale}px`;
        game.style.height = `${WindowHeight * scale}px`;
    }

    // Qt 6.8 redraws for a new number of device pixels to the CSS pixel as the page is resized,
    // as zooming does; a move to a screen of another density resizes nothing, so it is told
    // as if it did.
    function followDensity() {
        matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener("change", () => {
            dispatchEvent(new Event("resize"));
            followDensity();
        }, { once: true });
    }

    // --- Qt's elements --------------------------------------------------------------------
    // Qt 6.8 draws the window on a canvas and stands an element for each control in the page's
    // accessibility tree, in a shadow root. Its canvas must never take the focus, which it
    // hides from screen readers; the element for the control with the keyboard takes it, and
    // passes the keys on to Qt.
    const qtRoot = () => game.firstElementChild?.shadowRoot;
    let keyboardAt = "";  // the id of that element

    function focusKeyboard() {
        const element = keyboardAt && qtRoot()?.getElementById(keyboardAt);
        if (element && qtRoot().activeElement !== element)
            element.focus({ preventScroll: true });
    }

    // Qt 6.8's elements as a screen reader needs them, mended as each comes: a caption's words
    // as its name; a text box, which Qt makes editable whatever the control, read-only, its
    // name as its name and its text as its value, which the game keeps whatever a script
    // writes there; and Qt's own accessibility, which waits behind a button, switched on.
    function mend(element) {
        if (element.matches("canvas"))
            element.contentEditable = "false";
        else if (element.matches("textarea"))
            element.ariaLabel = element.textContent;
        else if (element.matches("input[type=text]")) {
            element.readOnly = true;
            element.ariaLabel = element.getAttribute("name");
            element.value = element.textContent;
            element.oninput = () => { element.value = element.textContent; };
        } else if (element.matches("button") && element.textContent === "Enable Screen Reader")
            element.click();
    }

    function watchQtElements() {
        game.addEventListener("pointerdown", focusKeyboard, true);
        new MutationObserver(() => {
            const root = qtRoot();
            if (!root || root.pairon12Watched)
                return;
            root.pairon12Watched = true;
            new MutationObserver(changes => {
                for (const change of changes) {
                    const element = change.target.nodeType === Node.ELEMENT_NODE ? change.target : change.target.parentElement;
                    [element, ...change.addedNodes].filter(node => node.nodeType === Node.ELEMENT_NODE).forEach(mend);
                }
                focusKeyboard();
            }).observe(root, { subtree: true, childList: true, characterData: true, attributeFilter: ["name"] });
            root.querySelectorAll("*").forEach(mend);
        }).observe(game, { childList: true });
    }

    // --- The live region, and what the game asks of the page ---------------------------------
    globalThis.pairon12Page = {
        get windowScale() { return windowScale; },
        // What the game says to a screen reader, in a polite live region: each notice a new
        // line, so that the same words twice are said twice, and only the last few kept.
        say(text) {
            const line = document.createElement("p");
            line.textContent = text;
            spoken.append(line);
            while (spoken.childElementCount > 8)
                spoken.firstElementChild.remove();
        },
        focus(id) {
            keyboardAt = id;
            focusKeyboard();
        },
    };

    // --- Loading --------------------------------------------------------------------------
    const Sentences = {
        fromDisk: "Pairon12 va aperto da un server web, non come file dal disco: " +
                  "pubblica la cartella su un sito, o servila in locale.",
        noWebAssembly: "Questo browser non può far girare Pairon12: manca WebAssembly. " +
                       "Prova con una versione recente di Chromium, Firefox o Safari.",
        forbidden: "Il sito che pubblica Pairon12 non permette di avviarlo: la sua politica di " +
                   "sicurezza vieta WebAssembly ('wasm-unsafe-eval').",
        download: "Pairon12 non si è potuto scaricare. Controlla la connessione e ricarica la pagina.",
        crashed: "Pairon12 si è fermato per un errore: ricarica la pagina.",
    };

    function fail(sentence) {
        loading.hidden = true;
        game.replaceChildren();
        const problem = document.getElementById("problem");
        problem.textContent = sentence;
        problem.hidden = false;
    }

    // A content policy that forbids compiling WebAssembly refuses even the smallest module.
    function compilingAllowed() {
        try {
            new WebAssembly.Module(new Uint8Array([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]));
            return true;
        } catch {
            return false;
        }
    }

    // The browser compiles the WebAssembly as it arrives, and keeps the compiled code for the
    // next visit where the response is the host's or the service worker's own, with its address.
    // The bar counts the bytes of a copy of the stream, which is read and let go.
    async function compile(url) {
        const response = await fetch(url);
        if (!response.ok)
            throw new Error(`${url}: ${response.status}`);
        countArriving(response.clone().body);
        // A host may send the file under another type, which a browser will not compile as it
        // streams: that one is given the type, and compiled all the same, without being kept.
        const typed = response.headers.get("Content-Type")?.split(";")[0].trim() === "application/wasm"
            ? response : new Response(response.body, { headers: { "Content-Type": "application/wasm" } });
        return WebAssembly.compileStreaming(typed);
    }

    async function countArriving(stream) {
        let arrived = 0;
        for (const reader = stream.getReader();;) {
            const { done, value } = await reader.read().catch(() => ({ done: true }));
            if (done)
                return;
            arrived += value.length;
            progress.value = arrived;
        }
    }

    async function load() {
        if (location.protocol === "file:")
            return fail(Sentences.fromDisk);
        if (typeof WebAssembly !== "object")
            return fail(Sentences.noWebAssembly);
        if (!compilingAllowed())
            return fail(Sentences.forbidden);
        if (typeof qtLoad !== "function" || typeof pairon12_entry !== "function")
            return fail(Sentences.download);
        let module;
        try {
            module = await compile(`pairon12.wasm${release}`);
        } catch (error) {
            console.info(error);
            return fail(Sentences.download);
        }
        instance = await qtLoad({
            qt: {
                module: Promise.resolve(module),
                entryFunction: pairon12_entry,
                containerElements: [game],
                onLoaded: () => { loading.hidden = true; },
                onExit: exit => { if (exit.crashed) fail(Sentences.crashed); },
            },
        });
        // The game took the scale as it started: one changed since is given again.
        instance.setWindowScale(windowScale);
    }

    // --- Offline --------------------------------------------------------------------------
    // Once the game runs, sw.js keeps its release for the next visit, network or not. Offline,
    // the browser cannot ask for a newer one, and the worker it has goes on serving.
    function keepOffline() {
        navigator.serviceWorker?.register("sw.js").catch(() => {});
    }

    fitWindow();
    addEventListener("resize", fitWindow);
    followDensity();
    watchQtElements();
    load().then(() => instance && keepOffline());
})();
