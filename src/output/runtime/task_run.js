// Проверка по тестам задачи: запуск программы в отдельной песочнице на каждый тест, сравнение её вывода
// с ожидаемым и отпечаток (SHA-256) вывода для скрытых тестов — так же, как считает lum (tasks/compare.cpp).
var __LUM_ЗАДАЧИ__ = (function () {
  'use strict';
  // SHA-256 от строки, взятой в UTF-8; 64 шестнадцатеричные цифры.
  var K = [
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2].map(function (x) { return x | 0; });
  function sha256(текст) {
    var байты = unescape(encodeURIComponent(текст));
    var длина = байты.length;
    var слова = [];
    for (var i = 0; i < длина; i++) слова[i >> 2] |= (байты.charCodeAt(i) & 255) << (24 - (i % 4) * 8);
    слова[длина >> 2] |= 0x80 << (24 - (длина % 4) * 8);
    var всего = ((длина + 8) >> 6) * 16 + 16;
    for (var j = слова.length; j < всего; j++) слова[j] = слова[j] | 0;
    слова[всего - 1] = длина * 8 % 4294967296;
    слова[всего - 2] = Math.floor(длина / 536870912);
    var h = [0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19];
    var w = new Array(64);
    function r(x, n) { return (x >>> n) | (x << (32 - n)); }
    for (var блок = 0; блок < всего; блок += 16) {
      for (var t = 0; t < 64; t++) {
        if (t < 16) w[t] = слова[блок + t] | 0;
        else {
          var s0 = r(w[t - 15], 7) ^ r(w[t - 15], 18) ^ (w[t - 15] >>> 3);
          var s1 = r(w[t - 2], 17) ^ r(w[t - 2], 19) ^ (w[t - 2] >>> 10);
          w[t] = (w[t - 16] + s0 + w[t - 7] + s1) | 0;
        }
      }
      var a = h[0], b = h[1], c = h[2], d2 = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
      for (var k = 0; k < 64; k++) {
        var t1 = (hh + (r(e, 6) ^ r(e, 11) ^ r(e, 25)) + ((e & f) ^ (~e & g)) + K[k] + w[k]) | 0;
        var t2 = ((r(a, 2) ^ r(a, 13) ^ r(a, 22)) + ((a & b) ^ (a & c) ^ (b & c))) | 0;
        hh = g; g = f; f = e; e = (d2 + t1) | 0; d2 = c; c = b; b = a; a = (t1 + t2) | 0;
      }
      h[0] = (h[0] + a) | 0; h[1] = (h[1] + b) | 0; h[2] = (h[2] + c) | 0; h[3] = (h[3] + d2) | 0;
      h[4] = (h[4] + e) | 0; h[5] = (h[5] + f) | 0; h[6] = (h[6] + g) | 0; h[7] = (h[7] + hh) | 0;
    }
    return h.map(function (x) { return ('00000000' + (x >>> 0).toString(16)).slice(-8); }).join('');
  }

  // Строки вывода: без пробелов, табуляций и \r в конце строки и без пустых строк в конце.
  function строки(текст) {
    var с = String(текст).split('\n').map(function (x) { return x.replace(/[ \t\r]+$/, ''); });
    while (с.length && с[с.length - 1] === '') с.pop();
    return с;
  }
  // Заглавные для «регистр не важен»: латиница, кириллица и ё, как в lum.
  function заглавные(строка) {
    return строка.replace(/[a-zа-яё]/g, function (б) { return б === 'ё' ? 'Ё' : String.fromCharCode(б.charCodeAt(0) - 32); });
  }
  var ЧИСЛО = /-?[0-9]+(?:\.[0-9]+)?/g;
  function разрезать(строка) {
    var числа = [];
    var остов = строка.replace(ЧИСЛО, function (ч) { числа.push(Number(ч)); return '\x01'; });
    return { остов: остов, числа: числа };
  }
  // Порядок кодовых точек (он же порядок байтов UTF-8, как в lum).
  function раньше(а, б) {
    for (var i = 0, j = 0; i < а.length && j < б.length;) {
      var x = а.codePointAt(i), y = б.codePointAt(j);
      if (x !== y) return x < y ? -1 : 1;
      i += x > 0xFFFF ? 2 : 1;
      j += y > 0xFFFF ? 2 : 1;
    }
    return (а.length - i) > 0 ? 1 : (б.length - j) > 0 ? -1 : 0;
  }
  function сравнимые(список, как) {
    var с = список.slice();
    if (как.регистр) с = с.map(заглавные);
    if (как.порядок) {
      var сЧислами = как.точность > 0;
      с = с.map(function (x, i) { return { x: x, i: i }; }).sort(function (а, б) {
        if (сЧислами) {
          var ра = разрезать(а.x), рб = разрезать(б.x);
          var п = раньше(ра.остов, рб.остов);
          if (п) return п;
          for (var k = 0; k < ра.числа.length && k < рб.числа.length; k++)
            if (ра.числа[k] !== рб.числа[k]) return ра.числа[k] < рб.числа[k] ? -1 : 1;
          if (ра.числа.length !== рб.числа.length) return ра.числа.length < рб.числа.length ? -1 : 1;
        } else {
          var q = раньше(а.x, б.x);
          if (q) return q;
        }
        return а.i - б.i;
      }).map(function (о) { return о.x; });
    }
    return с;
  }
  function таЖеСтрока(ожидалось, получено, точность) {
    if (!(точность > 0)) return ожидалось === получено;
    var о = разрезать(ожидалось), п = разрезать(получено);
    if (о.остов !== п.остов || о.числа.length !== п.числа.length) return false;
    for (var i = 0; i < о.числа.length; i++)
      if (!(Math.abs(о.числа[i] - п.числа[i]) <= точность * (1 + 1e-9))) return false;
    return true;
  }
  // Номер первой отличающейся строки (с 1) или 0, если вывод совпал.
  function отличие(ожидалось, вывод, как) {
    var о = сравнимые(строки(ожидалось.join('\n')), как), п = сравнимые(строки(вывод), как);
    var общих = Math.min(о.length, п.length);
    for (var i = 0; i < общих; i++) if (!таЖеСтрока(о[i], п[i], как.точность)) return i + 1;
    return о.length === п.length ? 0 : общих + 1;
  }
  function клетка(x, смещение, точность) {
    var к = Math.floor((x - смещение) / (2 * точность));
    if (!(Math.abs(к) < 1e15)) return к < 0 ? '-~' : '~';
    return к.toFixed(0);
  }
  // Отпечаток вывода для скрытого теста; '' — если чисел в выводе не столько, сколько в ожидаемом.
  function отпечаток(вывод, как, соль, смещения) {
    var текст = соль + '\n', следующее = 0, сЧислами = как.точность > 0;
    var с = сравнимые(строки(вывод), как);
    for (var i = 0; i < с.length; i++) {
      if (!сЧислами) текст += с[i];
      else {
        var р = разрезать(с[i]), номер = 0;
        for (var j = 0; j < р.остов.length; j++) {
          if (р.остов[j] !== '\x01') { текст += р.остов[j]; continue; }
          if (следующее >= смещения.length) return '';
          текст += '\x01' + клетка(р.числа[номер++], смещения[следующее++], как.точность) + '\x01';
        }
      }
      текст += '\n';
    }
    if (сЧислами && следующее !== смещения.length) return '';
    return sha256(текст);
  }

  // Один запуск: страница программы в песочнице без доступа к этой странице, с ответами теста.
  // готово({вывод, ошибка, долго, мс}) зовётся один раз: по отчёту программы или по пределу времени.
  var ПРЕДЕЛ_ВЫВОДА = 65536;
  // Пустая песочница, которая держит процесс песочниц живым между запусками: без неё браузер заводит
  // новый процесс на каждый тест, и это втрое дольше. После запуска, который не закончился вовремя,
  // она сменяется: старый процесс, где программа, может быть, ещё крутится, закрывается вместе с ней.
  var держатель = null;
  function держать(место) {
    if (держатель && держатель.parentNode === место) return;
    держатель = document.createElement('iframe');
    держатель.setAttribute('sandbox', 'allow-scripts');
    держатель.setAttribute('aria-hidden', 'true');
    держатель.style.cssText = 'width: 1px; height: 1px; border: 0;';
    держатель.srcdoc = '<!DOCTYPE html><title></title>';
    место.appendChild(держатель);
  }
  function отпустить() {
    if (держатель && держатель.parentNode) держатель.parentNode.removeChild(держатель);
    держатель = null;
  }
  function запустить(место, страница, ответы, пределМс, готово) {
    держать(место);
    var рамка = document.createElement('iframe');
    рамка.setAttribute('sandbox', 'allow-scripts');
    рамка.setAttribute('aria-hidden', 'true');
    рамка.style.cssText = 'width: 320px; height: 200px; border: 0;';
    var настройка = JSON.stringify({ ответы: ответы, предел: ПРЕДЕЛ_ВЫВОДА }).replace(/</g, '\\u003c');
    рамка.srcdoc = страница.replace('__LUM_CHECK__', function () { return настройка; });
    var начало = Date.now(), кончено = false, часы = 0;
    function конец(итог) {
      if (кончено) return;
      кончено = true;
      clearTimeout(часы);
      window.removeEventListener('message', слушать);
      итог.мс = Date.now() - начало;
      if (итог.мс > пределМс) итог = { вывод: '', ошибка: '', долго: true, мс: итог.мс };
      if (рамка.parentNode) рамка.parentNode.removeChild(рамка);
      if (итог.долго) отпустить();
      готово(итог);
    }
    function слушать(событие) {
      var д = событие.data;
      if (событие.source !== рамка.contentWindow || !д || д.лумПроверка !== true) return;
      конец({ вывод: String(д.вывод), ошибка: String(д.ошибка || ''), долго: false });
    }
    window.addEventListener('message', слушать);
    часы = setTimeout(function () { конец({ вывод: '', ошибка: '', долго: true }); }, пределМс + 50);
    место.appendChild(рамка);
  }

  // Тесты по очереди: один(номер, готово) на каждый, потом всё(); следующий — после конца прошлого.
  function поОчереди(сколько, один, всё) {
    var номер = 0;
    function дальше() {
      if (номер >= сколько) return всё();
      один(номер++, function () { setTimeout(дальше, 0); });
    }
    дальше();
  }

  return { sha256: sha256, строки: строки, отличие: отличие, отпечаток: отпечаток, запустить: запустить,
           поОчереди: поОчереди };
})();
