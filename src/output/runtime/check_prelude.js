// Начало страницы программы, которую проверяет задача: отвечает на вопросы ответами теста, молчит
// вместо окон и, когда программа закончила (и все её таймеры тоже), отдаёт проверке вывод панели и ошибку.
// Проверка подставляет ниже {ответы, предел вывода} или null — тогда страница обычная.
(function () {
  var настройка = __LUM_CHECK__;
  if (!настройка) return;
  var ответы = настройка.ответы.slice();
  var родитель = window.parent;
  var послать = родитель.postMessage.bind(родитель);
  var ждать = window.setTimeout.bind(window);
  var спрошено = 0;
  window.prompt = function () {
    спрошено++;
    return ответы.length ? String(ответы.shift()) : null;
  };
  window.alert = function () {};
  window.confirm = function () { return true; };

  // Таймеры и кадры анимации, которые ещё сработают: пока они есть, программа не закончила.
  var ждут = {};
  var сколько = 0;
  function свой(поставить, снять, повтор) {
    var родной = window[поставить].bind(window), родноеСнятие = window[снять].bind(window);
    window[поставить] = function (f) {
      var аргументы = Array.prototype.slice.call(arguments);
      var номер;
      if (typeof f === 'function') {
        аргументы[0] = function () {
          if (!повтор && ждут[номер]) { delete ждут[номер]; сколько--; }
          return f.apply(this, arguments);
        };
      }
      номер = родной.apply(null, аргументы);
      if (!ждут[номер]) { ждут[номер] = true; сколько++; }
      return номер;
    };
    window[снять] = function (номер) {
      if (ждут[номер]) { delete ждут[номер]; сколько--; }
      return родноеСнятие(номер);
    };
  }
  свой('setTimeout', 'clearTimeout', false);
  свой('setInterval', 'clearInterval', true);
  if (window.requestAnimationFrame) свой('requestAnimationFrame', 'cancelAnimationFrame', false);

  var былаОшибка = '';
  window.addEventListener('error', function (событие) {
    if (!былаОшибка) былаОшибка = String(событие.message || 'ошибка');
  });

  // Вывод панели без красных строк ошибок и их подсказок; пробел, с которого панель начинается, не вывод.
  function снять() {
    var панель = document.getElementById('result');
    var вывод = '', ошибки = [];
    if (!панель) return { вывод: вывод, ошибки: ошибки };
    var узлы = панель.childNodes;
    for (var i = 0; i < узлы.length; i++) {
      var узел = узлы[i];
      if (i === 0 && узел.nodeType === 3 && узел.nodeValue === ' ') continue;
      var цвет = узел.nodeType === 1 && узел.tagName === 'SPAN' ? узел.style.color : '';
      if (цвет === 'red') ошибки.push(узел.textContent.replace(/\n$/, ''));
      else if (цвет !== 'pink') вывод += узел.textContent;
    }
    return { вывод: вывод, ошибки: ошибки };
  }
  var отдано = false;
  function отдать() {
    if (отдано) return;
    if (сколько > 0 && !былаОшибка) return ждать(отдать, 20);
    отдано = true;
    var снято = снять();
    var вывод = снято.вывод;
    var обрезан = вывод.length > настройка.предел;
    if (обрезан) вывод = вывод.slice(0, настройка.предел);
    послать({ лумПроверка: true, вывод: вывод, обрезан: обрезан, ошибка: былаОшибка ? (снято.ошибки[0] || былаОшибка) : '',
              спрошено: спрошено }, '*');
  }
  window.addEventListener('load', function () { ждать(отдать, 0); });
})();
