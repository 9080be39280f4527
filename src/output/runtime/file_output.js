// Вывод файла: consolelog пишет в панель результата, если она есть, и всегда в консоль.
function consolelog(содержимое) {
  if (typeof document !== 'undefined' && document.getElementById("result")) {
    результат = document.getElementById("result");
    результат.style.display = 'block';
    результат.style.color = 'white';
    результат.innerHTML = содержимое;
  }
  console.log(содержимое);
}
function consoleclear() {
  if (typeof document !== 'undefined' && document.getElementById("result")) {
    результат = document.getElementById("result");
    результат.style.display = 'none';
    результат.innerHTML = '';
  }
}
